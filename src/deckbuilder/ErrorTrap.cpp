#include "deckbuilder/ErrorTrap.h"

#include "carddata/ReportError.h"

#include <exception>
#include <new>

namespace lumi {

void RunTrapped(UserPort& user, const QString& place, bool deckBuilder,
                const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        ReportError(user, ErrOutOfMemory, QStringLiteral("メモリが不足しています。"), place,
                    deckBuilder);
    } catch (const std::exception& e) {
        ReportError(user, ErrUnexpected, QString::fromLocal8Bit(e.what()), place, deckBuilder);
    } catch (...) {
        ReportError(user, ErrUnexpected, QStringLiteral("予期しないエラーです。"), place,
                    deckBuilder);
    }
}

} // namespace lumi
