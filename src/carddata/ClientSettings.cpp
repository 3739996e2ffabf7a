#include "carddata/ClientSettings.h"

#include "carddata/CardInfo.h"
#include "carddata/INIAccess.h"
#include "carddata/IniDocument.h"

#include <limits>

namespace lumi {

QString DefaultLobbyHost() {
#ifdef LUMI_LOBBY_HOST
    return QStringLiteral(LUMI_LOBBY_HOST);
#else
    return QStringLiteral("http://lobby.luminaria-online.example/");
#endif
}

QString DefaultGetIPURL() {
    return DefaultLobbyHost() + QStringLiteral("ipaddr.php");
}

QString DefaultLobbyURL() {
    return DefaultLobbyHost() + QStringLiteral("lmnlobby.php");
}

namespace {

bool readFlag(const IniDocument& ini, const char* section, const char* key) {
    // "1" is on; "0" and anything else give the default, which is off.
    return ini.get(QLatin1String(section), QLatin1String(key)) == QLatin1String("1");
}

std::optional<qint64> parseWhole(const QString& text, qint64 lo, qint64 hi) {
    bool ok = false;
    qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

} // namespace

ClientSettings LoadINISetting(const QString& settingsFile) {
    ClientSettings s;
    IniDocument ini = IniDocument::load(settingsFile).value_or(IniDocument());
    auto get = [&](const char* section, const char* key) {
        return ini.get(QLatin1String(section), QLatin1String(key));
    };

    s.DefaultName = get("Connection", "DefaultName");
    s.GetIPfromWeb = readFlag(ini, "Connection", "GetIPfromWeb");
    if (QString v = get("Connection", "GetIPURL"); !v.isEmpty())
        s.GetIPURL = v;
    if (QString v = get("Connection", "LobbyURL"); !v.isEmpty())
        s.LobbyURL = v;

    s.AutoopenOnTurnstart = readFlag(ini, "General", "AutoopenOnTurnstart");
    s.ManuallyTurnstart = readFlag(ini, "General", "ManuallyTurnstart");
    s.TurnendFunction = readFlag(ini, "General", "TurnendFunction");
    s.DrawCheck = readFlag(ini, "General", "DrawCheck");
    s.Moonpetal = readFlag(ini, "General", "Moonpetal");
    s.UsePalette = readFlag(ini, "General", "UsePalette");
    s.TurnEndReturn = readFlag(ini, "General", "TurnEndReturn");
    s.AutoBackup = ParseInt16(get("General", "AutoBackup")).value_or(0);
    s.AutoBackupSecurityLevel = ParseInt16(get("General", "AutoBackupSecurityLevel")).value_or(0);
    if (QString v = get("General", "SSTPLevel"); !v.isEmpty())
        s.SSTPLevel = ParseInt16(v).value_or(s.SSTPLevel);
    if (QString v = get("General", "SSTPPort"); !v.isEmpty())
        s.SSTPPort = int(parseWhole(v, 1, 65535).value_or(DefaultSSTPPort));

    s.ChangeFieldColor = readFlag(ini, "View", "ChangeFieldColor");
    if (QString v = get("View", "FieldColor"); !v.isEmpty())
        s.FieldColor = std::int32_t(parseWhole(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max())
                                        .value_or(DefaultFieldColor));
    s.FieldSign = readFlag(ini, "View", "FieldSign");

    s.OnJoin = get("Sound", "OnJoin");
    s.OnLeave = get("Sound", "OnLeave");
    s.OnBattleStart = get("Sound", "OnBattleStart");
    s.OnBattleEnd = get("Sound", "OnBattleEnd");
    s.OnTurnStart = get("Sound", "OnTurnStart");

    s.MyMasterEnabled = readFlag(ini, "MyMaster", "Enabled");
    s.MyMasterPath = get("MyMaster", "Path");
    return s;
}

bool SaveINISetting(const ClientSettings& s, const QString& settingsFile, UserPort* report,
                    bool deckBuilder) {
    INIAccess ini;
    ini.FileName = settingsFile;
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    auto num = [](qint64 n) { return QString::number(n); };

    struct Item {
        const char* section;
        const char* key;
        QString value;
    };
    QList<Item> items = {
        {"Connection", "DefaultName", s.DefaultName},
        {"Connection", "GetIPURL", s.GetIPURL},
        {"Connection", "GetIPfromWeb", flag(s.GetIPfromWeb)},
        {"Connection", "LobbyURL", s.LobbyURL},
        {"General", "AutoopenOnTurnstart", flag(s.AutoopenOnTurnstart)},
        {"General", "ManuallyTurnstart", flag(s.ManuallyTurnstart)},
        {"General", "TurnendFunction", flag(s.TurnendFunction)},
        {"General", "DrawCheck", flag(s.DrawCheck)},
        {"General", "UsePalette", flag(s.UsePalette)},
        {"General", "TurnEndReturn", flag(s.TurnEndReturn)},
        {"General", "AutoBackup", num(s.AutoBackup)},
        {"General", "AutoBackupSecurityLevel", num(s.AutoBackupSecurityLevel)},
    };
    if (s.SSTPLevel > 0) {
        items.append({"General", "SSTPLevel", num(s.SSTPLevel)});
        items.append({"General", "SSTPPort", num(s.SSTPPort)});
    }
    items.append({
        {"View", "ChangeFieldColor", flag(s.ChangeFieldColor)},
        {"View", "FieldColor", num(s.FieldColor)},
        {"View", "FieldSign", flag(s.FieldSign)},
        {"Sound", "OnJoin", s.OnJoin},
        {"Sound", "OnLeave", s.OnLeave},
        {"Sound", "OnBattleStart", s.OnBattleStart},
        {"Sound", "OnBattleEnd", s.OnBattleEnd},
        {"Sound", "OnTurnStart", s.OnTurnStart},
        {"MyMaster", "Enabled", flag(s.MyMasterEnabled)},
        {"MyMaster", "Path", s.MyMasterPath},
    });

    for (const Item& it : items) {
        if (!ini.SetINIData(QLatin1String(it.key), it.value, QLatin1String(it.section))) {
            if (report)
                ReportError(*report, ErrFileAccess, FileAccessErrorText(ini.LastError),
                            QStringLiteral("mdlMain.SaveINISetting"), deckBuilder);
            return false;
        }
    }
    return true;
}

bool SaveMoonpetal(bool on, const QString& settingsFile) {
    INIAccess ini;
    ini.FileName = settingsFile;
    return ini.SetINIData(QStringLiteral("Moonpetal"),
                          on ? QStringLiteral("1") : QStringLiteral("0"),
                          QStringLiteral("General"));
}

} // namespace lumi
