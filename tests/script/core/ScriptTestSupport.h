#pragma once
// A recording host for script runs: every box's text is written like the
// console writes it (CR LF as a line feed, then a line feed), and answered
// from a queue of answers or with the box's default button.

#include "script/core/KTD.h"

#include <QStringList>
#include <deque>
#include <map>

namespace lumi::test {

class RecordingUser : public UserPort {
public:
    QString output;
    QList<MessageBoxRequest> boxes;
    std::deque<BoxResult> answers;
    std::deque<std::optional<QString>> inputs;
    QStringList prompts;
    QString clipboard;

    BoxResult messageBox(const MessageBoxRequest& box) override {
        boxes << box;
        QString t = box.text;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        output += t + QLatin1Char('\n');
        if (!answers.empty()) {
            BoxResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttonsOf(box.buttons).value(box.defaultButton, BoxResult::OK);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& def) override {
        prompts << prompt;
        if (inputs.empty())
            return std::nullopt;
        auto r = inputs.front();
        inputs.pop_front();
        return r;
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
};

// Platform pieces kept in memory.
class MemorySystem : public KtdSystemPort {
public:
    qint32 number = 12345;
    std::optional<QString> security;
    std::map<QString, QString> registry;
    std::map<QString, QString> appSettings;
    qint32 accessNumber(const QDate&) const override { return number; }
    std::optional<QString> engineSetting(const QString& name) const override {
        return name == QStringLiteral("Kotodama\\Sec") ? security : std::nullopt;
    }
    bool registryWrite(const QString& root, const QString& key, const QString& valueName,
                       const QString& value) override {
        registry[root + QLatin1Char('\\') + key + QLatin1Char('\\') + valueName] = value;
        return true;
    }
    std::optional<QString> registryRead(const QString& root, const QString& key,
                                        const QString& valueName) override {
        auto it = registry.find(root + QLatin1Char('\\') + key + QLatin1Char('\\') + valueName);
        if (it == registry.end())
            return std::nullopt;
        return it->second;
    }
    QString appSettingRead(const QString& section, const QString& key) override {
        auto it = appSettings.find(section + QLatin1Char('|') + key);
        return it == appSettings.end() ? QString() : it->second;
    }
    void appSettingWrite(const QString& section, const QString& key,
                         const QString& value) override {
        if (value.isEmpty())
            appSettings.erase(section + QLatin1Char('|') + key);
        else
            appSettings[section + QLatin1Char('|') + key] = value;
    }
};

// Runs a script (lines joined with CR LF) trusted, as the program does.
struct ScriptRun {
    RecordingUser user;
    MemorySystem system;
    KTD ktd{user, &system};
    QString run(const QString& script, bool trusted = true) {
        ktd.Run(script, trusted ? system.number : 0, QString(), 0);
        return user.output;
    }
};

} // namespace lumi::test
