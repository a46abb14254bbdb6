// The built-in cover picture: a 1998-byte baseline JFIF JPEG, 128x185.
#pragma once

#include "text/text.h"

namespace pel {

const Bytes& noCoverImage();

}  // namespace pel
