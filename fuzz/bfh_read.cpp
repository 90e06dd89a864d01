// The bfh decoder over arbitrary file bytes.

#include "resources/BitmapImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDecodedPicture picture;
    if (DecodeBfh(data, size, picture) == EPictureError::None) {
        if (picture.pixels.size() != picture.rowSize * static_cast<size_t>(picture.height) ||
            static_cast<size_t>(picture.width) * 2 * picture.height > size) {
            __builtin_trap();
        }
    }
    return 0;
}
