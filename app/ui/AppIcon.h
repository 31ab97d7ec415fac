#pragma once
// The program's icon: a transistor symbol, drawn so it needs no image file.
#include <QIcon>

namespace vorel {

QIcon AppIcon();

}  // namespace vorel
