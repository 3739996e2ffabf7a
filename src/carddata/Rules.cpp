#include "carddata/Rules.h"

#include "carddata/IniDocument.h"

#include <QDir>

namespace lumi {

QString ExRuleText(int code) {
    static const char16_t* const texts[ExRuleTextCount] = {
        u"先攻ペナルティ：初回ドローなし", u"先攻ペナルティ：ターンエンド時余ったストーンを除去",
        u"制限：☆５のカード使用禁止",      u"制限：☆２以下のカードのみ使用可能",
        u"制限：ワンダーマスター使用禁止", u"制限：公式カードのみ使用可能",
        u"拡張：同カード４枚以上使用可能", u"拡張：捨札閲覧禁止",
    };
    if (code < 0 || code >= ExRuleTextCount)
        return {};
    return QString::fromUtf16(texts[code]);
}

QString ClassLabel(std::int16_t deckClass) {
    return DeckClassName(deckClass) + QStringLiteral(" クラス");
}

namespace {

QString ruleText(const QString& name, const QString& cls, const QString& codes) {
    return QStringLiteral("Name:") + name + CrLf + QStringLiteral("Class:") + cls + CrLf +
           QStringLiteral("ExRule:") + codes + CrLf;
}

QString builtIn(const QString& id) {
    if (id == RuleOfficialSr)
        return ruleText(QStringLiteral("Srルール"), QStringLiteral("Sr"), {});
    if (id == RuleOfficialPro)
        return ruleText(QStringLiteral("Proルール"), QStringLiteral("Pro"), {});
    return ruleText(QStringLiteral("Jrルール"), QStringLiteral("Jr"), {});
}

// An identifier names a file of the rules folder itself, never one elsewhere.
bool isPlainName(const QString& id) {
    return !id.isEmpty() && !id.contains(u'/') && !id.contains(u'\\') &&
           id != QLatin1String("..") && !id.contains(QChar(u'\0'));
}

} // namespace

QString LoadRuleStr(const QString& rulesPath, const QString& ruleId) {
    if (ruleId == RuleOfficialJr || ruleId == RuleOfficialSr || ruleId == RuleOfficialPro)
        return builtIn(ruleId);
    if (!isPlainName(ruleId))
        return builtIn(RuleOfficialJr);
    auto ini = IniDocument::load(rulesPath + ruleId + QStringLiteral(".lmr"));
    if (!ini)
        return builtIn(RuleOfficialJr);
    const QString name = ini->get(QStringLiteral("header"), QStringLiteral("Name"));
    if (name.isEmpty())
        return builtIn(RuleOfficialJr);
    const QString cls = ini->get(QStringLiteral("header"), QStringLiteral("Class"));
    QStringList codes;
    for (int code = 0; code <= MaxExRuleCode; ++code) {
        const QString key = QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'));
        if (ini->get(QStringLiteral("ExRule"), key) == QLatin1String("1"))
            codes.append(key);
    }
    const QString className = cls == QLatin1String("1")   ? QStringLiteral("Sr")
                              : cls == QLatin1String("2") ? QStringLiteral("Pro")
                                                          : QStringLiteral("Jr");
    return ruleText(name, className, codes.join(u'/'));
}

QString GetLineValue(const QString& text, const QString& key) {
    // The key where it starts a line; a rule named "Classic" must not be
    // read as its class. Texts that hold the key only inside a line still
    // give that occurrence.
    qsizetype at = text.startsWith(key) ? 0 : -1;
    if (at < 0) {
        const qsizetype line = text.indexOf(CrLf + key);
        at = line < 0 ? text.indexOf(key) : line + CrLf.size();
    }
    if (at < 0)
        return {};
    const qsizetype crlf = text.indexOf(CrLf, at);
    if (crlf < 0)
        return {};
    const QString stretch = text.mid(at, crlf - at);
    const qsizetype colon = stretch.indexOf(u':');
    return colon < 0 ? stretch : stretch.mid(colon + 1);
}

QString RegulationCheck(const QString& ruleText, DeckData& deck, const CardDatabase& cards) {
    QString result;
    auto add = [&result](const QString& message) { result += message + CrLf; };

    // 1. The caller's deck loses its empty slots (an all-empty deck keeps one
    //    empty entry, the empty list); the checks work on a sorted copy.
    deck.Cards.removeAll(QString());
    if (deck.Cards.isEmpty())
        deck.Cards.append(QString());
    DeckData sorted = deck;
    DeckSortByID(sorted);
    sorted.Cards.removeAll(QString());
    const qsizetype cardCount = sorted.Cards.size();

    // 2.
    const QString codes = GetLineValue(ruleText, QStringLiteral("ExRule"));

    // 3. The master's kind. An identifier found among the ordinary cards is
    //    no master at all: it is outside every regulation.
    std::int16_t masterKind = MasterN;
    bool masterIsNoMaster = false;
    CardPosition pos;
    if (cards.CardID2Index(deck.Master, pos)) {
        if (pos.Series < 0)
            masterKind = cards.MasterList()[pos.Card].CardType;
        else
            masterIsNoMaster = true;
    } else {
        add(RegNoCardData);
    }

    // 4. Longest run of one identifier and the highest rarity.
    int maxSame = 0, run = 0;
    std::int16_t maxRare = 0;
    for (qsizetype i = 0; i < cardCount; ++i) {
        const QString& id = sorted.Cards[i];
        run = (i > 0 && sorted.Cards[i - 1] == id) ? run + 1 : 1;
        maxSame = std::max(maxSame, run);
        if (const CardData* card = cards.find(id))
            maxRare = std::max(maxRare, card->Rare);
        else
            add(RegNoCardData);
    }

    // 5.
    if (maxSame > 3 && !codes.contains(QLatin1String("006")))
        add(RegTooManySame);
    if (codes.contains(QLatin1String("002")) && maxRare > 4)
        add(RegRare5);
    if (codes.contains(QLatin1String("003")) && maxRare > 2)
        add(RegRare3);
    if (codes.contains(QLatin1String("004")) && masterKind == MasterW)
        add(RegWonderMaster);

    // 6. Jr takes a kind-N master and 20 cards; Sr kind A or W and 20; Pro
    //    kind A or W and 30.
    const QString cls = GetLineValue(ruleText, QStringLiteral("Class")).toUpper();
    auto checkClass = [&](bool masterFits, qsizetype wanted) {
        if (masterIsNoMaster || !masterFits)
            add(RegMasterOutside);
        if (cardCount != wanted)
            add(RegWrongCount);
    };
    if (cls == QLatin1String("JR"))
        checkClass(masterKind == MasterN, 20);
    else if (cls == QLatin1String("SR"))
        checkClass(masterKind != MasterN, 20);
    else if (cls == QLatin1String("PRO"))
        checkClass(masterKind != MasterN, 30);
    else
        add(RegNoRegulation);

    // 7.
    return result;
}

QList<RuleChoice> RuleList(const QString& rulesPath) {
    QList<RuleChoice> list = {
        {RuleOfficialJr, QStringLiteral("Jr ルール")},
        {RuleOfficialSr, QStringLiteral("Sr ルール")},
        {RuleOfficialPro, QStringLiteral("Pro ルール")},
    };
    if (rulesPath.isEmpty())
        return list;
    const QStringList files =
        QDir(rulesPath).entryList({QStringLiteral("*.lmr")}, QDir::Files, QDir::Name);
    for (const QString& f : files) {
        const QString id = f.left(f.size() - 4);
        list.append({id, id});
    }
    return list;
}

} // namespace lumi
