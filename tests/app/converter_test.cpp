// The converter end to end: the real program in its own process, driven by real X input, watched through its window's
// pixels and controls; the stand-in tool is FFmpeg.exe in its current directory, the folder recorder the file browser.
#include <gtest/gtest.h>

#include "converter.h"
#include "graphics/images.h"
#include "graphics/png_decoder.h"
#include "gui/gui_support.h"
#include "gui/windows.h"
#include "support/child_process.h"
#include "support/x_input.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using gui_test::Pixels;
using namespace test_support;

// Windows-1251 titles: "Окно", "Открыть файл".
const char* const WINDOW_TITLE = "\xCE\xEA\xED\xEE";
const char* const OPEN_FILE_TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";
// The client points the tests click (the controls' centres) and the areas they read.
const POINT CLOSE_LINK{684, 10}, MINIMISE_LINK{664, 10}, BROWSE_BUTTON{397, 105}, START_BUTTON{630, 350};
const POINT FLV_LINK{262, 48}, AVI_LINK{312, 48}, MPG_LINK{362, 48}, SWF_LINK{412, 48};
const std::pair<POINT, const char*> LABELS[] = {{SWF_LINK, "swf"}, {MPG_LINK, "mpg"}, {AVI_LINK, "avi"}, {FLV_LINK, "flv"}};
const RECT BADGE{20, 11, 150, 61}, READ_OUT{520, 42, 670, 57};

bool wait_until(const std::function<bool()>& condition, int timeout_ms = 30000) {
    for (int waited = 0; waited < timeout_ms && !condition(); waited += 50) Sleep(50);
    return condition();
}

// A picture of the program's resources, decoded from its file by the runtime.
Pixels resource_picture(const char* name) {
    static const bool registered = (rt::register_png_decoder(), true);
    const std::string data = read_file(std::string(CONVERTER_RESOURCES) + "/" + name);
    BITMAP bitmap{};
    if (!registered || !rt::catch_image(1, data.data(), static_cast<int>(data.size())) ||
        !GetObjectA(rt::image_handle(1), sizeof bitmap, &bitmap))
        return {};
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    Pixels picture{bitmap.bmWidth, bitmap.bmHeight, std::vector<COLORREF>(static_cast<size_t>(bitmap.bmWidth * bitmap.bmHeight))};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, static_cast<HBITMAP>(rt::image_handle(1)), 0, static_cast<UINT>(bitmap.bmHeight),
              picture.values.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (COLORREF& value : picture.values) value = RGB(GetBValue(value), GetGValue(value), GetRValue(value));  // from BGRX
    return picture;
}

// The read-outs for the counts, drawn by the converter's own code in its window built in this process, closed again.
std::vector<Pixels> read_outs_for(const std::vector<int>& counts) {
    std::vector<Pixels> read_outs;
    if (!converter::build_main_window()) return read_outs;
    for (int count : counts) {
        converter::draw_elapsed_time(count);
        read_outs.push_back(gui_test::client_pixels(rt::window_handle(converter::MAIN_WINDOW), READ_OUT));
    }
    rt::close_window(converter::MAIN_WINDOW);
    return read_outs;
}

// The program started in a scratch folder's "work" (where the tool's output lands) with the stand-in tool there, which
// runs for tool_seconds; sources go in "sources".
class Converter : public ScratchFolder {
public:
    explicit Converter(int tool_seconds = 0) : ScratchFolder(("converter-run-" + std::to_string(++runs)).c_str()) {
        for (const char* folder : {"work", "sources"}) CreateDirectoryA(file(folder).c_str(), nullptr);
        CopyFileA(STAND_IN_TOOL, (work() + "\\FFmpeg.exe").c_str(), TRUE);
        SetEnvironmentVariableA("STAND_IN_LOG", file("tool.log").c_str());
        SetEnvironmentVariableA("STAND_IN_SECONDS", std::to_string(tool_seconds).c_str());
        SetEnvironmentVariableA("FOLDER_OPEN_LOG", file("folders.log").c_str());
        gui_test::park_mouse();
        process_ = start("\"" CONVERTER_PROGRAM "\"", work(), 0);
        wait_until([this] {
            DWORD owner = 0;
            window_ = FindWindowA(nullptr, WINDOW_TITLE);
            return GetWindowThreadProcessId(window_, &owner) && owner == process_.dwProcessId && IsWindowVisible(window_);
        });
        Sleep(500);  // its first paint
    }
    ~Converter() {
        PostMessageA(window_, WM_CLOSE, 0, 0);  // an orderly end: a coverage build writes its counts then
        status_of(process_, 10000);
    }

    HWND window() const { return window_; }
    std::string source(const std::string& name) const { return file("sources\\" + name); }
    std::string work() const { return file("work"); }
    bool shown(intptr_t control) const { return IsWindowVisible(GetDlgItem(window_, static_cast<int>(control))); }
    // Through WM_GETTEXT: GetWindowTextA reads only the caption of another process's window.
    std::string text(intptr_t control) const {
        char buffer[1024] = "";
        SendDlgItemMessageA(window_, static_cast<int>(control), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    Pixels pixels(const RECT& area) const { return gui_test::client_pixels(window_, area); }
    void click(POINT point) const {
        EXPECT_TRUE(send_x_input(gui_test::screen_point(window_, point.x, point.y) + " click 1"));
        Sleep(300);
    }
    // Puts a path into the open-file dialog's name field (X input cannot type Cyrillic); the empty path cancels it.
    void choose(const std::string& path) const {
        click(BROWSE_BUTTON);
        HWND dialog = nullptr;
        ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowA(nullptr, OPEN_FILE_TITLE)) != nullptr; }));
        Sleep(300);
        const int NAME_COMBO = 0x47C, NAME_EDIT = 0x480;  // the name field, in the newer or the older layout
        HWND field = GetDlgItem(dialog, NAME_COMBO) ? GetDlgItem(dialog, NAME_COMBO) : GetDlgItem(dialog, NAME_EDIT);
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ASSERT_TRUE(send_x_input(path.empty() ? "key Escape" : "key Return"));
        ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) == nullptr; }));
        Sleep(300);
    }
    // Lines in pairs, for each folder the jobs opened and each start of the tool: its command line, its current directory.
    std::string opened() const { return read_file(file("folders.log")); }
    std::string tool_log() const { return read_file(file("tool.log")); }
    DWORD exit_code() { return status_of(process_, 10000); }

private:
    static inline int runs = 0;  // a folder for each run: a tool left running keeps its own
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The client area against the skin: pixels off it where no visible control covers them (the group
// box paints only its title and outline), and in the read-out those lighter and darker than it.
struct SkinComparison { int off = -1, read_out_lighter = 0, read_out_darker = 0; };  // off: -1 when the sizes differ

SkinComparison compare_with_skin(HWND window) {
    std::vector<RECT> covered;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        if (GetDlgCtrlID(child) == converter::JOB_FRAME)
            covered.insert(covered.end(), {{r.left, r.top, r.right, r.top + 16}, {r.left, r.top, r.left + 2, r.bottom},
                                           {r.right - 2, r.top, r.right, r.bottom}, {r.left, r.bottom - 2, r.right, r.bottom}});
        else if (IsWindowVisible(child)) covered.push_back(r);
    }
    const Pixels shown = gui_test::client_pixels(window), skin = resource_picture("background.png");
    SkinComparison result;
    if (skin.width != shown.width || skin.height != shown.height) return result;
    result.off = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const POINT at{x, y};
            const COLORREF pixel = shown.at(x, y), under = skin.at(x, y);
            if (pixel == under) continue;
            if (PtInRect(&READ_OUT, at))
                ++(GetRValue(pixel) >= GetRValue(under) && GetGValue(pixel) >= GetGValue(under) &&
                           GetBValue(pixel) >= GetBValue(under) ? result.read_out_lighter : result.read_out_darker);
            result.off += std::none_of(covered.begin(), covered.end(), [&](const RECT& r) { return PtInRect(&r, at); });
        }
    return result;
}

TEST(ConverterTest, FirstDisplayIsTheSkinnedWindowInTheCentreWhoseLabelsShowBadgesAndWhoseLinksMinimiseAndClose) {
    Converter converter;
    RECT frame;
    GetWindowRect(converter.window(), &frame);
    EXPECT_EQ((std::vector<LONG>{frame.left, frame.top, frame.right, frame.bottom}), (std::vector<LONG>{610, 320, 1310, 760}));
    EXPECT_EQ(GetWindowLongPtrA(converter.window(), GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);
    const SkinComparison skin = compare_with_skin(converter.window());
    EXPECT_EQ(skin.off, 0);
    // "Время обработки:   00:00": white text over the skin, about 150 pixels, none darker.
    EXPECT_TRUE(skin.read_out_lighter > 100 && skin.read_out_lighter < 400) << skin.read_out_lighter;
    EXPECT_EQ(skin.read_out_darker, 0);
    EXPECT_EQ(converter.pixels(BADGE), resource_picture("badge_flv.png"));
    EXPECT_EQ(converter.text(converter::SOURCE_FIELD), "");
    for (auto control : {converter::SECOND_FIELD, converter::SECOND_BROWSE_BUTTON})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(converter.window(), control))) << control;
    EXPECT_TRUE(converter.shown(converter::IDLE_BAR) && !converter.shown(converter::BUSY_BAR));
    for (const auto& [label, badge] : LABELS) {
        converter.click(label);
        const Pixels wanted = resource_picture(("badge_" + std::string(badge) + ".png").c_str());
        EXPECT_TRUE(wait_until([&] { return converter.pixels(BADGE) == wanted; }, 5000)) << badge;
        GetWindowRect(converter.window(), &frame);
        EXPECT_TRUE(frame.left == 610 && frame.top == 320) << badge << ": the label's click moved the window";
    }
    converter.click(MINIMISE_LINK);
    EXPECT_TRUE(wait_until([&] { return IsIconic(converter.window()) != FALSE; }, 3000));
    PostMessageA(converter.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(converter.exit_code(), 0u);
}

// Minutes and seconds of the hour: a full hour reads 00:00 again, and no two of the others agree.
TEST(ConverterTest, TheReadOutShowsMinutesAndSecondsOfTheHour) {
    const std::vector<Pixels> shown = read_outs_for({0, 75, 3599, 3600});
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3], shown[0]) << "3600 s";
    for (auto [a, b] : {std::pair{1, 0}, {2, 0}, {2, 1}}) EXPECT_FALSE(shown[a] == shown[b]) << "read-outs " << a << " and " << b;
}

// A long Cyrillic name with spaces (259 characters, the most the dialog returns) is renamed with underscores and given
// whole to the tool; the read-out ticks while the job runs, stops with it, and the next job continues the count.
TEST(ConverterTest, AJobRunsTheToolOnTheRenamedFileWithTheBusyBarAndTheTicksAndOpensTheFolder) {
    Converter converter(3);
    std::string chosen = converter.source("\xD4\xE8\xEB\xFC\xEC ");  // "Фильм "
    for (size_t i = 0; chosen.size() + 4 < 259; ++i) chosen += i % 10 == 9 ? ' ' : 'p';
    chosen += ".avi";
    std::string clean = chosen;
    std::replace(clean.begin(), clean.end(), ' ', '_');
    const std::string output = clean.substr(clean.rfind('\\') + 1) + ".mpg";
    write_file(chosen, "source video");
    converter.choose(chosen);
    EXPECT_EQ(converter.text(converter::SOURCE_FIELD), clean);
    EXPECT_FALSE(file_exists(chosen));
    EXPECT_EQ(read_file(clean), "source video");

    converter.click(MPG_LINK);
    std::vector<Pixels> read_outs{converter.pixels(READ_OUT)};
    converter.click(START_BUTTON);
    EXPECT_TRUE(wait_until([&] { return converter.shown(converter::BUSY_BAR) && !converter.shown(converter::IDLE_BAR); }, 3000));
    ASSERT_TRUE(wait_until([&] {
        if (!(converter.pixels(READ_OUT) == read_outs.back())) read_outs.push_back(converter.pixels(READ_OUT));
        return !converter.opened().empty();
    }));
    EXPECT_GE(read_outs.size(), 3u) << "the read-out advances once a second";
    EXPECT_TRUE(wait_until([&] { return converter.shown(converter::IDLE_BAR) && !converter.shown(converter::BUSY_BAR); }, 3000));
    const Pixels after_job = converter.pixels(READ_OUT);
    Sleep(2500);
    EXPECT_EQ(converter.pixels(READ_OUT), after_job) << "the read-out's timer stops when the job ends";
    EXPECT_EQ(converter.tool_log(), "\"FFmpeg\" -i " + clean + " -y  -sameq  " + output + "\n" + converter.work() + "\n");
    EXPECT_TRUE(file_exists(converter.work() + "\\" + output));
    EXPECT_NE(converter.opened().find("\"" + converter.work() + "\\\"\n"), std::string::npos) << "the folder opened";

    converter.click(START_BUTTON);
    wait_until([&] {
        for (size_t second = 0; second + 1 < read_outs.size(); ++second)
            EXPECT_FALSE(converter.pixels(READ_OUT) == read_outs[second]) << "the read-out went back to second " << second;
        const std::string opened = converter.opened();
        return std::count(opened.begin(), opened.end(), '\n') > 2;
    });
    converter.click(CLOSE_LINK);
    EXPECT_EQ(converter.exit_code(), 0u) << "the close link ends the program";
}

// Each choice in turn: a file is renamed with its spaces replaced, else the choice is dropped and
// no file is touched; a job after a cancelled dialog has no source.
TEST(ConverterTest, AChosenFileLosesItsSpacesOrTheChoiceIsDroppedAndNoFileIsLost) {
    Converter converter;
    CreateDirectoryA(converter.source("my clips").c_str(), nullptr);
    for (const char* name : {"c d.avi", "c_d.avi", "my clips\\clip.avi"}) write_file(converter.source(name), name);
    // chosen "": the dialog cancelled; field "": no choice; file: one that must then hold text (each was made holding its name).
    const struct { const char *what, *chosen, *field, *file, *text; } rows[] = {
        {"the clean name is another file's", "c d.avi", "", "c d.avi", "c d.avi"},
        {"a folder with a space: only the file is renamed", "my clips\\clip.avi", "my_clips\\clip.avi",
         "my clips\\clip.avi", "my clips\\clip.avi"},
        {"a cancelled dialog", "", "", "c_d.avi", "c_d.avi"},
    };
    for (const auto& row : rows) {
        converter.choose(*row.chosen ? converter.source(row.chosen) : "");
        EXPECT_EQ(converter.text(converter::SOURCE_FIELD), *row.field ? converter.source(row.field) : "") << row.what;
        EXPECT_EQ(read_file(converter.source(row.file)), row.text) << row.what << ": " << row.file;
    }
    converter.click(START_BUTTON);
    ASSERT_TRUE(wait_until([&] { return !converter.opened().empty(); }));
    EXPECT_EQ(converter.tool_log(), "\"FFmpeg\" -i  -y  -sameq  .flv\n" + converter.work() + "\n") << "a cancel leaves no source";
}

// A press on the skin drags the window; the drag loop dispatches the read-out's ticks before the event loop sees them:
// after a 3-second drag the read-out still shows the seconds since the press.
TEST(ConverterTest, APressOnTheSkinDragsTheWindowAndTheReadOutKeepsTimeMeanwhile) {
    const auto read_outs = read_outs_for({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    Converter converter(10);
    converter.click(START_BUTTON);
    const ULONGLONG pressed = GetTickCount64() - 300;
    std::string drag = gui_test::screen_point(converter.window(), 300, 20) + " mousedown 1";
    for (int step = 0; step < 30; ++step) drag += " mousemove_relative 2 1 sleep 0.1";
    EXPECT_TRUE(send_x_input(drag + " mouseup 1", 20000));
    RECT moved;
    EXPECT_TRUE(wait_until([&] { return GetWindowRect(converter.window(), &moved) && moved.left == 670 && moved.top == 350; }, 3000));
    Sleep(500);  // the ticks kept meanwhile are drawn
    const std::ptrdiff_t seconds = static_cast<std::ptrdiff_t>((GetTickCount64() - pressed) / 1000);
    const std::ptrdiff_t shown = std::find(read_outs.begin(), read_outs.end(), converter.pixels(READ_OUT)) - read_outs.begin();
    EXPECT_LE(std::abs(shown - seconds), 1) << "the read-out shows " << shown << " s, " << seconds << " s have passed";
}

} // namespace
