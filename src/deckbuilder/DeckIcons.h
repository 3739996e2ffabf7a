#pragma once
// Pictures of the deck dialog, drawn at run time: the "Deck" icon of the list
// and the four view buttons.

#include <QIcon>
#include <QPixmap>

namespace lumi {

QPixmap DeckPicture(int size); // the "Deck" picture, size × size pixels
QIcon ViewModeIcon(int mode);  // 0 large icons, 1 small icons, 2 list, 3 details

} // namespace lumi
