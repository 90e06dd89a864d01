#include "tools/play/Runner.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/HeadlessServices.h"
#include "shell/Encoding.h"
#include "shell/Entry.h"
#include "shell/System.h"

namespace {

bool ParseInt(const std::string& s, long long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtoll(s.c_str(), &end, 10);
    return end && *end == '\0';
}

CScriptedInput MessageAt(uint32_t t, uint32_t message, uint32_t wParam, int32_t lParam) {
    CScriptedInput in;
    in.time = t;
    in.kind = CScriptedInput::EKind::Message;
    in.message = {message, wParam, lParam};
    return in;
}

}  // namespace

bool ParsePlayOptions(const std::vector<std::string>& args, CPlayOptions& o, std::string& error) {
    bool haveDir = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--input") {
            if (!value(o.inputPath)) return false;
        } else if (a == "--log") {
            if (!value(o.logPath)) return false;
        } else if (a == "--until-ms" || a == "--depth" || a == "--seed" || a == "--frame-ms") {
            if (!value(v)) return false;
            if (!ParseInt(v, n) || n < 0) {
                error = "option " + a + " needs a non-negative number, not \"" + v + "\"";
                return false;
            }
            if (a == "--until-ms") o.untilMs = n;
            if (a == "--depth") o.depth = static_cast<int>(n);
            if (a == "--seed") o.seed = static_cast<uint32_t>(n);
            if (a == "--frame-ms") o.frameMs = static_cast<uint32_t>(n);
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return false;
        } else if (!haveDir) {
            o.gameDir = a;
            haveDir = true;
        } else {
            error = "more than one game folder given";
            return false;
        }
    }
    if (o.depth != 8 && o.depth != 15 && o.depth != 16 && o.depth != 24 && o.depth != 32) {
        error = "--depth must be 8, 15, 16, 24 or 32";
        return false;
    }
    if (o.frameMs == 0) {
        error = "--frame-ms must be at least 1";
        return false;
    }
    return true;
}

bool ParsePlayInput(const std::string& text, CHeadlessPlatform& platform, std::string& error) {
    CHeadlessWindow& window = platform.Window();
    uint32_t frame = window.FrameMs();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        long long t = 0;
        if (!ParseInt(w[0], t) || t < 0 || t > 0xFFFFFFFFLL) return fail("a line starts with its time in ms");
        if (w.size() < 2) return fail("a verb must follow the time");
        uint32_t at = static_cast<uint32_t>(t);
        const std::string& verb = w[1];
        std::vector<long long> n;
        for (size_t i = 2; i < w.size() && verb != "shot" && verb != "answer"; ++i) {
            long long v = 0;
            if (!ParseInt(w[i], v)) return fail("\"" + w[i] + "\" is not a number");
            n.push_back(v);
        }
        auto want = [&](size_t count) { return w.size() == count + 2; };
        auto xy = [&]() { return MakeLParam(static_cast<int>(n[0]), static_cast<int>(n[1])); };
        if (verb == "move" || verb == "ldown" || verb == "lup" || verb == "lclick" || verb == "rdown" ||
            verb == "rup" || verb == "rclick") {
            if (!want(2)) return fail(verb + " takes X Y");
            if (verb == "move") window.Script(MessageAt(at, wm::MouseMove, 0, xy()));
            if (verb == "ldown" || verb == "lclick") window.Script(MessageAt(at, wm::LButtonDown, 1, xy()));
            if (verb == "lup") window.Script(MessageAt(at, wm::LButtonUp, 0, xy()));
            if (verb == "lclick") window.Script(MessageAt(at + frame, wm::LButtonUp, 0, xy()));
            if (verb == "rdown" || verb == "rclick") window.Script(MessageAt(at, wm::RButtonDown, 2, xy()));
            if (verb == "rup") window.Script(MessageAt(at, wm::RButtonUp, 0, xy()));
            if (verb == "rclick") window.Script(MessageAt(at + frame, wm::RButtonUp, 0, xy()));
        } else if (verb == "wheel") {
            if (!want(1) || (n[0] != 1 && n[0] != -1)) return fail("wheel takes 1 or -1");
            window.Script(MessageAt(at, wm::MouseWheel, n[0] < 0 ? 0xFF880000u : 0x00780000u, 0));
        } else if (verb == "keydown" || verb == "keyup" || verb == "key" || verb == "syskey") {
            if (!want(1) || n[0] < 0 || n[0] > 255) return fail(verb + " takes a virtual-key number 0-255");
            uint32_t key = static_cast<uint32_t>(n[0]);
            if (verb == "keydown" || verb == "key") window.Script(MessageAt(at, wm::KeyDown, key, 0));
            if (verb == "keyup") window.Script(MessageAt(at, wm::KeyUp, key, 0));
            if (verb == "key") window.Script(MessageAt(at + frame, wm::KeyUp, key, 0));
            if (verb == "syskey") {
                window.Script(MessageAt(at, wm::SysKeyDown, key, 0));
                window.Script(MessageAt(at + frame, wm::SysKeyUp, key, 0));
            }
        } else if (verb == "menu") {
            if (!want(1) || n[0] < 40001 || n[0] > 40007) return fail("menu takes a command 40001-40007");
            window.Script(MessageAt(at, wm::Command, static_cast<uint32_t>(n[0]), 0));
        } else if (verb == "close") {
            if (!want(0)) return fail("close takes nothing");
            window.Script(MessageAt(at, wm::Close, 0, 0));
        } else if (verb == "answer") {
            if (!want(1)) return fail("answer takes ok, cancel, yes or no");
            CScriptedInput in;
            in.time = at;
            in.kind = CScriptedInput::EKind::Answer;
            const std::string& a = w[2];
            if (a == "ok")
                in.answer = EMsgBoxResult::Ok;
            else if (a == "cancel")
                in.answer = EMsgBoxResult::Cancel;
            else if (a == "yes")
                in.answer = EMsgBoxResult::Yes;
            else if (a == "no")
                in.answer = EMsgBoxResult::No;
            else
                return fail("answer takes ok, cancel, yes or no");
            window.Script(std::move(in));
        } else if (verb == "shot") {
            if (!want(1)) return fail("shot takes a PATH");
            std::string path = w[2];
            CScriptedInput in;
            in.time = at;
            in.kind = CScriptedInput::EKind::Action;
            in.action = [&platform, path] {
                bool ok = platform.WriteScreenshot(path);
                platform.Event("shot", CEventFields().Str("path", Utf8ToSjis(path)).Int("ok", ok ? 1 : 0));
            };
            window.Script(std::move(in));
        } else if (verb == "quit") {
            if (!want(0)) return fail("quit takes nothing");
            CScriptedInput in;
            in.time = at;
            in.kind = CScriptedInput::EKind::Action;
            in.action = [&platform] { platform.Window().PostQuitMessage(0); };
            window.Script(std::move(in));
        } else {
            return fail("unknown verb \"" + verb + "\"");
        }
    }
    return true;
}

int RunPlay(const CPlayOptions& o) {
    CHeadlessPlatform platform;
    std::FILE* log = stderr;
    if (!o.logPath.empty()) {
        log = std::fopen(o.logPath.c_str(), "w");
        if (!log) {
            std::fprintf(stderr, "tovel-play: cannot write the log %s\n", o.logPath.c_str());
            return 2;
        }
    }
    platform.SetLog(log);
    platform.SetDesktopDepth(o.depth);
    platform.Random().Seed(o.seed);
    platform.Window().SetFrameMs(o.frameMs);

    std::string input;
    if (o.inputPath == "-") {
        std::ostringstream ss;
        ss << std::cin.rdbuf();
        input = ss.str();
    } else if (!o.inputPath.empty()) {
        std::ifstream in(o.inputPath, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "tovel-play: cannot read the input %s\n", o.inputPath.c_str());
            return 2;
        }
        std::ostringstream ss;
        ss << in.rdbuf();
        input = ss.str();
    }
    std::string error;
    if (!ParsePlayInput(input, platform, error)) {
        std::fprintf(stderr, "tovel-play: %s: %s\n", o.inputPath.c_str(), error.c_str());
        return 2;
    }
    if (::chdir(o.gameDir.c_str()) != 0) {
        std::fprintf(stderr, "tovel-play: cannot enter the game folder %s\n", o.gameDir.c_str());
        return 2;
    }
    // Headless runs hold the single-instance lock in the game folder, so that runs in different
    // folders do not see each other.
    platform.SetLockFolder(".");
    uint32_t until =
        o.untilMs >= 0 ? static_cast<uint32_t>(o.untilMs) : platform.Window().LastScriptedTime() + 1000;
    CScriptedInput stop;
    stop.time = until;
    stop.kind = CScriptedInput::EKind::Action;
    stop.action = [&platform] { platform.Window().PostQuitMessage(0); };
    platform.Window().Script(std::move(stop));

    CHeadlessServices services(platform);
    CSystem::Install(&platform);
    int code = GameMain(CEntryArgs{});
    platform.Event("exit", CEventFields().Int("code", code));
    CSystem::Install(nullptr);
    if (log != stderr) std::fclose(log);
    return code;
}
