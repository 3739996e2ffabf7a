#include "client/core/EventSound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace lumi {

QtEventSound::QtEventSound(QObject* parent) : QObject(parent) {}

QtEventSound::~QtEventSound() = default;

void QtEventSound::play(const QString& path) {
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    if (!effect_)
        effect_ = new QSoundEffect(this);
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->play();
}

} // namespace lumi
