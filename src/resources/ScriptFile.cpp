#include <cstring>

#include "resources/File.h"
#include "shell/Encoding.h"
#include "shell/System.h"

std::string ScrambledScriptName(const std::string& path) {
    const size_t cut = path.find_first_of(".\n");
    return path.substr(0, cut) + ".scr";
}

bool OpenScriptFile(const std::string& path, CScriptText& text) {
    text = CScriptText();
    text.name = path.ends_with(".txt") ? path : path + ".txt";
    // Scripts are never looked for under the second data root.
    CFile file;
    if (!file.Open(path)) {
        if (!file.Open(ScrambledScriptName(path))) {
            const std::string message =
                Utf8ToSjis("スクリプトファイル（ ") + path + Utf8ToSjis(" ）が見つかりません");
            MessageBoxSjis(message, Utf8ToSjis("エラー"), EMsgBoxButtons::Ok, EMsgBoxIcon::None, true);
            return false;
        }
        text.scrambled = true;
    }
    const int64_t size = file.GetSize();
    if (size < 0) return false;
    text.buffer.assign(static_cast<size_t>(size) + 1024, 0);
    if (!file.ReadExact(text.buffer.data(), static_cast<size_t>(size))) {
        text.buffer.clear();
        return false;
    }
    file.Close();
    text.size = static_cast<size_t>(size);
    if (text.scrambled) {
        for (size_t i = 0; i < text.size; ++i) {
            text.buffer[i] = static_cast<char>(static_cast<uint8_t>(text.buffer[i]) - kScriptScramble);
        }
    }
    return true;
}
