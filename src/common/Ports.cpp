#include "common/Ports.h"

namespace lumi {

QList<BoxResult> buttonsOf(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::OK: return {BoxResult::OK};
    case BoxButtons::OKCancel: return {BoxResult::OK, BoxResult::Cancel};
    case BoxButtons::YesNo: return {BoxResult::Yes, BoxResult::No};
    case BoxButtons::YesNoCancel: return {BoxResult::Yes, BoxResult::No, BoxResult::Cancel};
    case BoxButtons::RetryCancel: return {BoxResult::Retry, BoxResult::Cancel};
    case BoxButtons::AbortRetryIgnore:
        return {BoxResult::Abort, BoxResult::Retry, BoxResult::Ignore};
    }
    return {BoxResult::OK};
}

QString resultName(BoxResult r) {
    switch (r) {
    case BoxResult::OK: return QStringLiteral("OK");
    case BoxResult::Cancel: return QStringLiteral("Cancel");
    case BoxResult::Yes: return QStringLiteral("Yes");
    case BoxResult::No: return QStringLiteral("No");
    case BoxResult::Retry: return QStringLiteral("Retry");
    case BoxResult::Abort: return QStringLiteral("Abort");
    case BoxResult::Ignore: return QStringLiteral("Ignore");
    }
    return {};
}

MersenneRandom::MersenneRandom() : engine_(std::random_device{}()) {}

std::uint32_t MersenneRandom::below(std::uint32_t bound) {
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(engine_);
}

} // namespace lumi
