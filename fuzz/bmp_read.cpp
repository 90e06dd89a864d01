// The bmp decoder over arbitrary file bytes.

#include "resources/BitmapImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDecodedPicture picture;
    if (DecodeBmp(data, size, picture) == EPictureError::None) {
        if (picture.pixels.size() != picture.rowSize * static_cast<size_t>(picture.height) ||
            picture.pixels.size() > size) {
            __builtin_trap();
        }
    }
    return 0;
}
