#include "script/sys/Registry.h"

#include "common/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumi {
namespace {

// The file, one key a section, in the layout registry exports use:
//   [HKEY_CURRENT_USER\Software\Kotodama]
//   @="default value"
//   "name"="value"
// It is UTF-8 so that no value is lost to a narrower code page; quotes,
// backslashes and line ends inside names and values are escaped.
struct Key {
    QString path; // root + "\" + key path, as first written
    QList<std::pair<QString, QString>> values;
};

struct Tree {
    QList<Key> keys;

    qsizetype find(const QString& path) const {
        for (qsizetype i = 0; i < keys.size(); ++i)
            if (keys[i].path.compare(path, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    // Creates the key and every missing parent, parents first.
    Key& make(const QString& path) {
        const QStringList parts = path.split(QLatin1Char('\\'));
        QString at;
        qsizetype index = -1;
        for (const QString& part : parts) {
            at = at.isEmpty() ? part : at + QLatin1Char('\\') + part;
            index = find(at);
            if (index < 0) {
                keys.append(Key{at, {}});
                index = keys.size() - 1;
            }
        }
        return keys[index];
    }
};

QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads one quoted, escaped text starting at `pos` (on the opening quote);
// moves `pos` past the closing quote. False when the text is malformed.
bool Unquote(const QString& line, qsizetype& pos, QString& out) {
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == QLatin1Char('"'))
            return true;
        if (c == QLatin1Char('\\') && pos < line.size()) {
            const QChar e = line[pos++];
            if (e == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else if (e == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (e == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else
                out += e;
        } else {
            out += c;
        }
    }
    return false;
}

Tree Load(const QString& path) {
    Tree tree;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return tree;
    Key* current = nullptr;
    const QStringList lines = QString::fromUtf8(*bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = &tree.make(line.mid(1, line.size() - 2));
            continue;
        }
        if (!current || line.isEmpty())
            continue;
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!Unquote(line, pos, name)) {
            continue;
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            continue;
        ++pos;
        QString value;
        if (!Unquote(line, pos, value))
            continue;
        current->values.append({name, value});
    }
    return tree;
}

bool Save(const QString& path, const Tree& tree) {
    QString text;
    for (const Key& key : tree.keys) {
        text += QLatin1Char('[') + key.path + QLatin1String("]\n");
        for (const auto& [name, value] : key.values) {
            text += name.isEmpty() ? QStringLiteral("@")
                                   : QLatin1Char('"') + Escape(name) + QLatin1Char('"');
            text += QLatin1String("=\"") + Escape(value) + QLatin1String("\"\n");
        }
        text += QLatin1Char('\n');
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeWholeFile(path, text.toUtf8()).ok;
}

// root + "\" + key with surrounding and doubled backslashes removed; empty
// when the root is unknown or a name holds a line break or brackets that
// the file could not keep.
QString FullPath(const QString& root, const QString& key) {
    const std::optional<QString> r = Registry::NormaliseRoot(root);
    if (!r)
        return {};
    if (key.contains(QLatin1Char('\n')) || key.contains(QLatin1Char('\r')) ||
        key.contains(QLatin1Char(']')) || key.contains(QLatin1Char('[')))
        return {};
    QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    parts.prepend(*r);
    return parts.join(QLatin1Char('\\'));
}

} // namespace

const QStringList& Registry::RootNames() {
    static const QStringList names{
        QStringLiteral("HKEY_CLASSES_ROOT"),     QStringLiteral("HKEY_CURRENT_USER"),
        QStringLiteral("HKEY_LOCAL_MACHINE"),    QStringLiteral("HKEY_USERS"),
        QStringLiteral("HKEY_PERFORMANCE_DATA"), QStringLiteral("HKEY_CURRENT_CONFIG"),
        QStringLiteral("HKEY_DYN_DATA")};
    return names;
}

std::optional<QString> Registry::NormaliseRoot(const QString& name) {
    const QString upper = name.toUpper();
    if (RootNames().contains(upper))
        return upper;
    return std::nullopt;
}

QString Registry::DefaultFilePath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Kotodama/registry.txt");
}

Registry::Registry(QString filePath) : path_(std::move(filePath)) {}

bool Registry::SetValue(const QString& root, const QString& key, const QString& valueName,
                        const QString& value) {
    const QString full = FullPath(root, key);
    if (full.isEmpty())
        return false;
    Tree tree = Load(path_);
    Key& k = tree.make(full);
    bool replaced = false;
    for (auto& [name, v] : k.values) {
        if (name.compare(valueName, Qt::CaseInsensitive) == 0) {
            v = value;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        k.values.append({valueName, value});
    return Save(path_, tree);
}

std::optional<QString> Registry::Value(const QString& root, const QString& key,
                                       const QString& valueName) const {
    const QString full = FullPath(root, key);
    if (full.isEmpty())
        return std::nullopt;
    const Tree tree = Load(path_);
    const qsizetype i = tree.find(full);
    if (i < 0)
        return std::nullopt;
    for (const auto& [name, v] : tree.keys[i].values)
        if (name.compare(valueName, Qt::CaseInsensitive) == 0)
            return v;
    return std::nullopt;
}

bool Registry::KeyExists(const QString& root, const QString& key) const {
    const QString full = FullPath(root, key);
    return !full.isEmpty() && Load(path_).find(full) >= 0;
}

bool Registry::DeleteKey(const QString& root, const QString& key) {
    const QString full = FullPath(root, key);
    // A root itself cannot be deleted.
    if (full.isEmpty() || !full.contains(QLatin1Char('\\')))
        return false;
    Tree tree = Load(path_);
    if (tree.find(full) < 0)
        return false;
    const QString below = full + QLatin1Char('\\');
    tree.keys.removeIf([&](const Key& k) {
        return k.path.compare(full, Qt::CaseInsensitive) == 0 ||
               k.path.startsWith(below, Qt::CaseInsensitive);
    });
    return Save(path_, tree);
}

bool Registry::DeleteValue(const QString& root, const QString& key, const QString& valueName) {
    const QString full = FullPath(root, key);
    if (full.isEmpty())
        return false;
    Tree tree = Load(path_);
    const qsizetype i = tree.find(full);
    if (i < 0)
        return false;
    const qsizetype removed = tree.keys[i].values.removeIf(
        [&](const auto& nv) { return nv.first.compare(valueName, Qt::CaseInsensitive) == 0; });
    return removed > 0 && Save(path_, tree);
}

QStringList Registry::ValueNames(const QString& root, const QString& key) const {
    QStringList out;
    const QString full = FullPath(root, key);
    if (full.isEmpty())
        return out;
    const Tree tree = Load(path_);
    const qsizetype i = tree.find(full);
    if (i >= 0)
        for (const auto& nv : tree.keys[i].values)
            out.append(nv.first);
    return out;
}

QStringList Registry::SubKeys(const QString& root, const QString& key) const {
    QStringList out;
    const QString full = FullPath(root, key);
    if (full.isEmpty())
        return out;
    const QString below = full + QLatin1Char('\\');
    for (const Key& k : Load(path_).keys)
        if (k.path.startsWith(below, Qt::CaseInsensitive) &&
            !k.path.mid(below.size()).contains(QLatin1Char('\\')))
            out.append(k.path.mid(below.size()));
    return out;
}

QString AppSettings::KeyPath(const QString& appName, const QString& section) {
    return QStringLiteral("Software\\Program Settings\\") + appName + QLatin1Char('\\') + section;
}

QString AppSettings::GetSetting(const QString& appName, const QString& section, const QString& key,
                                const QString& defaultValue) const {
    if (appName.isEmpty() || section.isEmpty() || key.isEmpty())
        return defaultValue;
    return registry_.Value(QStringLiteral("HKEY_CURRENT_USER"), KeyPath(appName, section), key)
        .value_or(defaultValue);
}

bool AppSettings::SaveSetting(const QString& appName, const QString& section, const QString& key,
                              const QString& value) {
    if (appName.isEmpty() || section.isEmpty() || key.isEmpty())
        return false;
    return registry_.SetValue(QStringLiteral("HKEY_CURRENT_USER"), KeyPath(appName, section), key,
                              value);
}

bool AppSettings::DeleteSetting(const QString& appName, const QString& section,
                                const QString& key) {
    if (appName.isEmpty() || section.isEmpty())
        return false;
    const QString path = KeyPath(appName, section);
    if (key.isEmpty())
        return registry_.DeleteKey(QStringLiteral("HKEY_CURRENT_USER"), path);
    return registry_.DeleteValue(QStringLiteral("HKEY_CURRENT_USER"), path, key);
}

} // namespace lumi
