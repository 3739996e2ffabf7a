#include "client/engine/BattleState.h"

#include "carddata/Rules.h"
#include "common/Cp932.h"
#include "common/Ports.h"
#include "common/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <array>

namespace lumi {

namespace {

class StateWriter {
public:
    void number(qint16 v) {
        const auto u = static_cast<quint16>(v);
        out_.append(static_cast<char>(u & 0xFF));
        out_.append(static_cast<char>(u >> 8));
    }
    void number32(qint32 v) {
        const auto u = static_cast<quint32>(v);
        for (int shift = 0; shift < 32; shift += 8)
            out_.append(static_cast<char>((u >> shift) & 0xFF));
    }
    void flag(bool b) { number(b ? -1 : 0); }
    void text(const QString& s) {
        // A count field of 16 bits holds no more; cut at a character boundary.
        const QByteArray encoded = cp932::encode(s);
        const QByteArrayView bytes = cp932::cutAtCharBoundary(encoded, 0xFFFF);
        const auto n = static_cast<quint16>(bytes.size());
        out_.append(static_cast<char>(n & 0xFF));
        out_.append(static_cast<char>(n >> 8));
        out_.append(bytes.data(), bytes.size());
    }
    void list(const CardList& list) {
        if (list.isEmpty()) { // never sized: no bounds, no elements
            number(0);
            return;
        }
        number(1);
        number32(static_cast<qint32>(list.size()));
        number32(0);
        for (const auto& id : list)
            text(id);
    }
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
};

void writeSide(StateWriter& w, const SideData& side) {
    w.text(side.PlayerName);
    w.text(side.DeckDefaultData.DeckName);
    w.text(side.DeckDefaultData.AuthorName);
    w.number(side.DeckDefaultData.DeckType);
    w.list(side.DeckDefaultData.Cards);
    w.text(side.DeckDefaultData.Master);
    w.list(side.Deck);
    w.list(side.Hand);
    w.list(side.Trash);
    w.number(side.MasterHP);
    w.number(side.Stone);
    w.flag(side.IsFirst);
    w.text(side.MasterStatus);
    for (const auto& m : side.Monsters) {
        w.text(m.CardID);
        w.flag(m.IsOpen);
        w.number(m.Level);
        w.number(m.HP);
        w.text(m.Status);
    }
}

// Reads with bounds checks everywhere: a count is believed only as far as
// the bytes that remain can hold it.
class StateReader {
public:
    explicit StateReader(QByteArrayView bytes) : in_(bytes) {}

    bool ok() const { return error_ == 0; }
    int error() const { return error_; }

    qint16 number() {
        if (!need(2))
            return 0;
        const auto lo = static_cast<quint8>(in_[pos_]);
        const auto hi = static_cast<quint8>(in_[pos_ + 1]);
        pos_ += 2;
        return static_cast<qint16>(static_cast<quint16>(lo | (hi << 8)));
    }
    qint32 number32() {
        if (!need(4))
            return 0;
        quint32 u = 0;
        for (int k = 0; k < 4; ++k)
            u |= static_cast<quint32>(static_cast<quint8>(in_[pos_ + k])) << (8 * k);
        pos_ += 4;
        return static_cast<qint32>(u);
    }
    bool flag() { return number() != 0; }
    QString text() {
        const auto n = static_cast<quint16>(number());
        if (!ok() || !need(n))
            return QString();
        const QByteArrayView bytes = in_.sliced(pos_, n);
        pos_ += n;
        QString s = cp932::decode(bytes);
        // Code page 932 cannot hold U+FFFD, so one in the result marks bytes
        // that are not code page 932 text.
        if (s.contains(QChar(0xFFFD)))
            fail(ErrBadDataNumber);
        return s;
    }
    CardList list() {
        const qint16 dims = number();
        if (!ok())
            return {};
        if (dims == 0)
            return CardList{QString()};
        if (dims != 1) {
            fail(ErrBadDataNumber);
            return {};
        }
        const qint32 count = number32();
        number32(); // lower bound
        if (!ok())
            return {};
        // Each element needs at least its two count bytes.
        if (count < 0 || static_cast<qint64>(count) * 2 > in_.size() - pos_) {
            fail(count < 0 ? ErrBadDataNumber : ErrPastEndNumber);
            return {};
        }
        CardList list;
        list.reserve(count);
        for (qint32 k = 0; k < count && ok(); ++k)
            list.append(text());
        if (list.isEmpty())
            list.append(QString());
        return list;
    }

    static constexpr int ErrPastEndNumber = 62;
    static constexpr int ErrBadDataNumber = 13;

private:
    bool need(qsizetype n) {
        if (!ok())
            return false;
        if (in_.size() - pos_ < n) {
            fail(ErrPastEndNumber);
            return false;
        }
        return true;
    }
    void fail(int number) {
        if (error_ == 0)
            error_ = number;
    }

    QByteArrayView in_;
    qsizetype pos_ = 0;
    int error_ = 0;
};

void readSide(StateReader& r, SideData& side) {
    side.PlayerName = r.text();
    side.DeckDefaultData.DeckName = r.text();
    side.DeckDefaultData.AuthorName = r.text();
    side.DeckDefaultData.DeckType = r.number();
    side.DeckDefaultData.Cards = r.list();
    side.DeckDefaultData.Master = r.text();
    side.Deck = r.list();
    side.Hand = r.list();
    side.Trash = r.list();
    side.MasterHP = r.number();
    side.Stone = r.number();
    side.IsFirst = r.flag();
    side.MasterStatus = r.text();
    for (auto& m : side.Monsters) {
        m.CardID = r.text();
        m.IsOpen = r.flag();
        m.Level = r.number();
        m.HP = r.number();
        m.Status = r.text();
    }
    BattleOperation::CompactionArray(side.Deck);
    BattleOperation::CompactionArray(side.Hand);
    BattleOperation::CompactionArray(side.Trash);
}

const std::array<quint32, 256>& crcTable() {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

QByteArray WriteBattleState(const BattleData& data) {
    StateWriter w;
    writeSide(w, data.Own);
    writeSide(w, data.Enemy);
    w.number(data.TurnNumber);
    w.text(data.RuleText);
    w.text(data.Memo);
    for (const auto& r : data.Reserved)
        w.text(r);
    return w.take();
}

StateReadResult ReadBattleState(QByteArrayView bytes) {
    StateReader r(bytes);
    BattleData data;
    readSide(r, data.Own);
    readSide(r, data.Enemy);
    data.TurnNumber = r.number();
    data.RuleText = r.text();
    data.Memo = r.text();
    for (auto& s : data.Reserved)
        s = r.text();
    StateReadResult result;
    if (r.ok()) {
        result.data = std::move(data);
        return result;
    }
    result.errorNumber = r.error();
    result.description = r.error() == StateReader::ErrPastEndNumber
                             ? QStringLiteral("ファイルにこれ以上データがありません。")
                             : QStringLiteral("型が一致しません。");
    return result;
}

quint32 Crc32(QByteArrayView bytes) {
    const auto& table = crcTable();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ static_cast<quint8>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QString CrcText(quint32 crc) {
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

QString GetCRC(const QString& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes || bytes->isEmpty())
        return QString();
    return CrcText(Crc32(*bytes));
}

QString MakeStateMemo(bool serverHoldsTurn, const QString& extra) {
    QString memo = serverHoldsTurn ? QStringLiteral("nowplay:s") : QStringLiteral("nowplay:c");
    memo += CrLf + extra;
    if (!extra.isEmpty())
        memo += CrLf;
    return memo;
}

QString NumberedBackupName(const QDateTime& localTime, int turnNumber, bool holderMovedFirst) {
    return localTime.toString(QStringLiteral("yy-MM-dd-hh-mm")) + u'-' +
           QString::number(turnNumber) + u'-' +
           (holderMovedFirst ? QStringLiteral("先攻") : QStringLiteral("後攻")) +
           QStringLiteral(".lms");
}

QString ResumeSummaryText(const BattleData& data, bool serverTurnAtSave) {
    const QString server = QStringLiteral("サーバー");
    const QString client = QStringLiteral("クライアント");
    const QStringList lines{
        QStringLiteral("戦況を確認してください。"),
        QString(),
        QStringLiteral("サーバー側名前　　　　：") + data.Own.PlayerName,
        QStringLiteral("サーバー側デッキ名　　：") + data.Own.DeckDefaultData.DeckName,
        QString(),
        QStringLiteral("クライアント側名前　　：") + data.Enemy.PlayerName,
        QStringLiteral("クライアント側デッキ名：") + data.Enemy.DeckDefaultData.DeckName,
        QString(),
        QStringLiteral("現在のターン：") + (serverTurnAtSave ? server : client) +
            QStringLiteral("側") + QString::number(data.TurnNumber) + QStringLiteral("ターン目"),
        QStringLiteral("先攻　　　　　：") + (data.Own.IsFirst ? server : client),
        QString(),
        QStringLiteral("この設定でバトルを再開してもよろしいですか？"),
        QStringLiteral("[はい]でバトル開始、[いいえ]でサーバー側とクライアント側を交換、["
                       "キャンセル]でキャンセル"),
    };
    return lines.join(CrLf);
}

bool ServerTurnInMemo(const QString& memo) {
    return GetLineValue(memo, QStringLiteral("nowplay")) == QStringLiteral("s");
}

} // namespace lumi
