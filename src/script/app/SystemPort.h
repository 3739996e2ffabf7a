#pragma once
// The engine's platform port over this layer's stores and DLL calls.

#include "script/core/KTD.h"
#include "script/sys/Registry.h"
#include "script/sys/ZekoSys.h"

namespace lumi {

class SystemPort final : public KtdSystemPort {
public:
    // `programFolder` holds "sysdatze.zrf"; `registryFile` the registry tree.
    SystemPort(const QString& programFolder,
               const QString& registryFile = Registry::DefaultFilePath());

    qint32 accessNumber(const QDate& day) const override;
    std::optional<QString> engineSetting(const QString& name) const override;
    bool registryWrite(const QString& root, const QString& key, const QString& valueName,
                       const QString& value) override;
    std::optional<QString> registryRead(const QString& root, const QString& key,
                                        const QString& valueName) override;
    bool registryDeleteKey(const QString& root, const QString& key) override;
    QString appSettingRead(const QString& section, const QString& key) override;
    void appSettingWrite(const QString& section, const QString& key, const QString& value) override;
    KtdDllStatus callDll(const QString& library, const QString& function,
                         QList<KtdDllArgument>& arguments, qint32& result) override;

private:
    ZekoSys settings_;
    Registry registry_;
    AppSettings appSettings_;
};

} // namespace lumi
