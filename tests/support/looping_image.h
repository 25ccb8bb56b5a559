#pragma once

#include <string>

namespace loxtest {

// A small ISO 9660 image whose root directory carries Rock Ridge and a continuation area that
// names itself as the next one: libarchive reads that area again and again, without end and
// without taking more memory, inside its first header.
std::string LoopingIsoImage();

}  // namespace loxtest
