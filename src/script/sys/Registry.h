#pragma once
// A registry of our own: a tree of keys with named text values, kept in one
// text file (by default in the user's configuration folder). The seven root
// names of the Windows registry are the roots here too; key and value names
// compare without regard to letter case, as there.
//
// The file is read before and written after every change, so several
// programs can share it; a write replaces the whole file at once.

#include <QString>
#include <QStringList>
#include <optional>

namespace lumi {

class Registry {
public:
    // The root names in upper case, in their usual order.
    static const QStringList& RootNames();
    // `name` upper-cased when it is a root name, else nullopt.
    static std::optional<QString> NormaliseRoot(const QString& name);

    // The default file: $XDG_CONFIG_HOME/Kotodama/registry.txt.
    static QString DefaultFilePath();

    explicit Registry(QString filePath = DefaultFilePath());
    const QString& filePath() const { return path_; }

    // An empty `valueName` is the key's default value; an empty key path is
    // the root itself. Creates the key and its parents. False for an unknown
    // root, a key name holding a line break or a bracket, or when the file
    // cannot be written.
    bool SetValue(const QString& root, const QString& key, const QString& valueName,
                  const QString& value);
    // nullopt when the root, key or value does not exist.
    std::optional<QString> Value(const QString& root, const QString& key,
                                 const QString& valueName) const;
    bool KeyExists(const QString& root, const QString& key) const;
    // Deletes the key and every key below it; false when it did not exist
    // or the file cannot be written.
    bool DeleteKey(const QString& root, const QString& key);
    // False when the value did not exist or the file cannot be written.
    bool DeleteValue(const QString& root, const QString& key, const QString& valueName);
    // The value names of a key and its direct sub-keys, in stored order.
    QStringList ValueNames(const QString& root, const QString& key) const;
    QStringList SubKeys(const QString& root, const QString& key) const;

private:
    QString path_;
};

// Per-user application settings (application, section, key → text), kept in
// the registry file under HKEY_CURRENT_USER\Software\Program Settings. A
// section may hold backslashes ("AppSettings\Scores").
class AppSettings {
public:
    explicit AppSettings(Registry& registry) : registry_(registry) {}

    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const;
    bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value);
    // With an empty key the whole section goes.
    bool DeleteSetting(const QString& appName, const QString& section, const QString& key = {});

    static QString KeyPath(const QString& appName, const QString& section);

private:
    Registry& registry_;
};

} // namespace lumi
