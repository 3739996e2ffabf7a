#include "script/app/SystemPort.h"

#include "script/sys/AccessNumber.h"
#include "script/sys/DllCall.h"

namespace lumi {
namespace {
const QString AppName = QStringLiteral("Kotodama");
}

SystemPort::SystemPort(const QString& programFolder, const QString& registryFile)
    : settings_(ZekoSys::FilePathIn(programFolder)), registry_(registryFile),
      appSettings_(registry_) {}

qint32 SystemPort::accessNumber(const QDate& day) const {
    return AccessNumber(day);
}

std::optional<QString> SystemPort::engineSetting(const QString& name) const {
    if (!settings_.HasYSetting(name))
        return std::nullopt;
    return settings_.GetYSetting(name);
}

bool SystemPort::registryWrite(const QString& root, const QString& key, const QString& valueName,
                               const QString& value) {
    return registry_.SetValue(root, key, valueName, value);
}

std::optional<QString> SystemPort::registryRead(const QString& root, const QString& key,
                                                const QString& valueName) {
    return registry_.Value(root, key, valueName);
}

bool SystemPort::registryDeleteKey(const QString& root, const QString& key) {
    return registry_.DeleteKey(root, key);
}

QString SystemPort::appSettingRead(const QString& section, const QString& key) {
    return appSettings_.GetSetting(AppName, section, key);
}

void SystemPort::appSettingWrite(const QString& section, const QString& key, const QString& value) {
    if (key.isEmpty())
        appSettings_.DeleteSetting(AppName, section);
    else if (value.isEmpty())
        appSettings_.DeleteSetting(AppName, section, key);
    else
        appSettings_.SaveSetting(AppName, section, key, value);
}

KtdDllStatus SystemPort::callDll(const QString& library, const QString& function,
                                 QList<KtdDllArgument>& arguments, qint32& result) {
    QList<dll::Argument> args;
    args.reserve(arguments.size());
    for (const KtdDllArgument& a : arguments) {
        dll::Argument d;
        d.number = a.number;
        d.text = a.text;
        switch (a.kind) {
        case KtdDllArgument::Kind::Number:
            d.kind = dll::Argument::Kind::Number;
            break;
        case KtdDllArgument::Kind::Text:
            d.kind = dll::Argument::Kind::Text;
            break;
        case KtdDllArgument::Kind::Block:
            d.kind = dll::Argument::Kind::Block;
            break;
        }
        for (const KtdDllField& f : a.fields)
            d.fields.append(dll::Field{f.isText, f.number, f.text});
        args.append(d);
    }
    const dll::Status status = dll::Call(library, function, args, result);
    for (qsizetype i = 0; i < args.size() && i < arguments.size(); ++i) {
        arguments[i].text = args[i].text;
        for (qsizetype f = 0; f < args[i].fields.size() && f < arguments[i].fields.size(); ++f) {
            arguments[i].fields[f].isText = args[i].fields[f].isText;
            arguments[i].fields[f].number = args[i].fields[f].number;
            arguments[i].fields[f].text = args[i].fields[f].text;
        }
    }
    switch (status) {
    case dll::Status::Ok:
        return KtdDllStatus::Ok;
    case dll::Status::LibraryNotFound:
        return KtdDllStatus::LibraryNotFound;
    case dll::Status::FunctionNotFound:
        return KtdDllStatus::FunctionNotFound;
    case dll::Status::CallFailed:
        break;
    }
    return KtdDllStatus::CallFailed;
}

} // namespace lumi
