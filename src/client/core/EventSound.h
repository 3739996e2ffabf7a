#pragma once
// Event sounds through Qt Multimedia. Without a sound device or a playable
// file nothing is heard and nothing is reported, as users expect of a
// notification sound.

#include "client/core/ClientCore.h"

#include <QObject>
#include <memory>

class QSoundEffect;

namespace lumi {

class QtEventSound final : public QObject, public SoundPort {
public:
    explicit QtEventSound(QObject* parent = nullptr);
    ~QtEventSound() override;
    void play(const QString& path) override;

private:
    QSoundEffect* effect_ = nullptr;
};

} // namespace lumi
