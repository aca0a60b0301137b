// The program's icon as Qt pictures, decoded from the icon built into the program.
#pragma once

#include <QImage>

namespace marulex::qt {

// 32 x 32 with alpha; a null image if the icon cannot be decoded.
QImage ProgramIconImage();

}  // namespace marulex::qt
