// The converter end to end: the real program in a process of its own, driven by real X input,
// watched through its window's pixels and controls, with a stand-in "FFmpeg.exe" in its current
// directory that records how it was started, and the folder recorder in place of the file browser.
#include <gtest/gtest.h>

#include "converter.h"
#include "graphics/images.h"
#include "graphics/png_decoder.h"
#include "gui/gui_support.h"
#include "gui/windows.h"
#include "support/x_input.h"
#include "system/scratch_folder.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

using gui_test::Pixels;
using test_support::file_exists;
using test_support::read_file;
using test_support::ScratchFolder;
using test_support::send_x_input;
using test_support::write_file;

// Windows-1251 texts of the program: "Окно", "Открыть файл", "Пуск".
const char* const WINDOW_TITLE = "\xCE\xEA\xED\xEE";
const char* const OPEN_FILE_TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";
const char* const START_TEXT = "\xCF\xF3\xF1\xEA";

// Client points the tests click: the centres of the controls.
const POINT CLOSE_LINK{684, 10}, MINIMISE_LINK{664, 10}, BROWSE_BUTTON{397, 105}, START_BUTTON{630, 350};
const POINT FLV_LINK{262, 48}, AVI_LINK{312, 48}, MPG_LINK{362, 48}, SWF_LINK{412, 48};
const RECT BADGE{20, 11, 150, 61};
const RECT READ_OUT{520, 42, 670, 57};

std::string windows_path(std::string unix_path) {
    std::replace(unix_path.begin(), unix_path.end(), '/', '\\');
    return "Z:" + unix_path;
}

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    for (int waited = 0; waited < timeout_ms; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

// --- Pictures ------------------------------------------------------------------------------------

// A picture of the program's resources, decoded by the runtime into image 1 of this process.
Pixels resource_picture(const char* name) {
    static bool registered = (rt::register_png_decoder(), true);
    (void)registered;
    std::string data = read_file(windows_path(std::string(CONVERTER_RESOURCES) + "/" + name));
    Pixels picture;
    if (!rt::catch_image(1, data.data(), static_cast<int>(data.size()))) return picture;
    BITMAP bitmap;
    HBITMAP image = static_cast<HBITMAP>(rt::image_handle(1));
    GetObjectA(image, sizeof bitmap, &bitmap);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> bits(static_cast<size_t>(bitmap.bmWidth * bitmap.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, image, 0, static_cast<UINT>(bitmap.bmHeight), bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    picture.width = bitmap.bmWidth;
    picture.height = bitmap.bmHeight;
    for (uint32_t bgr : bits) picture.values.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    return picture;
}

bool inside(const RECT& area, int x, int y) { return x >= area.left && x < area.right && y >= area.top && y < area.bottom; }

// --- The program's controls, seen from outside ----------------------------------------------------

struct Control {
    HWND handle;
    std::string class_name;
    RECT area;  // in the main window's client coordinates
};

BOOL CALLBACK note_control(HWND child, LPARAM found) {
    Control control{child, std::string(64, '\0'), {}};
    control.class_name.resize(static_cast<size_t>(GetClassNameA(child, &control.class_name[0], 64)));
    GetWindowRect(child, &control.area);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&control.area), 2);
    reinterpret_cast<std::vector<Control>*>(found)->push_back(control);
    return TRUE;
}

std::vector<Control> controls_of(HWND window) {
    std::vector<Control> controls;
    EnumChildWindows(window, note_control, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// The control of the class whose top-left corner is (x, y); the one with `style` when two share it.
HWND control_at(HWND window, int x, int y, const char* class_name, DWORD style = 0) {
    for (const Control& control : controls_of(window)) {
        DWORD control_style = static_cast<DWORD>(GetWindowLongPtrA(control.handle, GWL_STYLE));
        if (control.area.left == x && control.area.top == y && control.class_name == class_name &&
            (control_style & style) == style)
            return control.handle;
    }
    return nullptr;
}

// Through WM_GETTEXT: GetWindowTextA of another process's window reads only its caption.
std::string text_of(HWND control) {
    char text[1024] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// --- The program under test ----------------------------------------------------------------------

// The converter started in a scratch folder of its own (its current directory, where the tool's
// output lands), optionally with the stand-in tool there as FFmpeg.exe.
class Converter {
public:
    struct Options {
        bool with_tool = true;
        int tool_seconds = 0;
    };

    Converter() : Converter(Options{}) {}
    explicit Converter(Options options) : folder_(next_folder_name().c_str()), work_(folder_.file("work")) {
        CreateDirectoryA(work_.c_str(), nullptr);
        CreateDirectoryA(sources().c_str(), nullptr);
        if (options.with_tool) CopyFileA(windows_path(STAND_IN_TOOL).c_str(), (work_ + "\\FFmpeg.exe").c_str(), TRUE);
        SetEnvironmentVariableA("STAND_IN_LOG", tool_log().c_str());
        SetEnvironmentVariableA("STAND_IN_SECONDS", std::to_string(options.tool_seconds).c_str());
        SetEnvironmentVariableA("FOLDER_OPEN_LOG", folder_log().c_str());
        gui_test::park_mouse();
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string program = windows_path(CONVERTER_PROGRAM);
        started_ = CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, work_.c_str(),
                                  &startup, &process_);
        wait_until([this] { return (window_ = shown_window()) != nullptr; }, 20000);
        Sleep(500);  // its first paint
    }
    ~Converter() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    HWND window() const { return window_; }
    const std::string& work() const { return work_; }
    std::string sources() const { return folder_.file("sources"); }
    std::string tool_log() const { return folder_.file("tool.log"); }
    std::string folder_log() const { return folder_.file("folder-open.log"); }

    void click(POINT point) const {
        ASSERT_TRUE(send_x_input(gui_test::screen_point(window_, point.x, point.y) + " click 1"));
        Sleep(300);
    }
    Pixels pixels(const RECT& area) const { return gui_test::client_pixels(window_, area); }
    Pixels pixels() const { return gui_test::client_pixels(window_); }
    HWND source_field() const { return control_at(window_, 25, 95, "Edit"); }
    HWND busy_bar() const { return control_at(window_, 25, 380, PROGRESS_CLASSA, PBS_MARQUEE); }
    HWND idle_bar() const {
        HWND busy = busy_bar();
        for (const Control& control : controls_of(window_))
            if (control.class_name == PROGRESS_CLASSA && control.handle != busy) return control.handle;
        return nullptr;
    }

    // Chooses a file in the open-file dialog by typing its full path; an empty path cancels.
    void choose(const std::string& path) const {
        click(BROWSE_BUTTON);
        ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) != nullptr; }, 10000));
        Sleep(300);
        if (path.empty()) {
            ASSERT_TRUE(send_x_input("key Escape"));
        } else {
            ASSERT_TRUE(send_x_input("type " + path));
            ASSERT_TRUE(send_x_input("key Return"));
        }
        ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) == nullptr; }, 10000));
        Sleep(300);
    }

    // Chooses a file by putting its path into the dialog's name field with WM_SETTEXT, for names
    // that X input cannot type (Cyrillic), then presses Return.
    void choose_by_name_field(const std::string& path) const {
        click(BROWSE_BUTTON);
        HWND dialog = nullptr;
        ASSERT_TRUE(wait_until([&] { return (dialog = FindWindowA(nullptr, OPEN_FILE_TITLE)) != nullptr; }, 10000));
        Sleep(300);
        const int NAME_COMBO = 0x47C, NAME_EDIT = 0x480;  // cmb13, or edt1 in the older layout
        HWND field = GetDlgItem(dialog, NAME_COMBO);
        if (!field) field = GetDlgItem(dialog, NAME_EDIT);
        ASSERT_NE(field, nullptr) << "the dialog's name field";
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ASSERT_TRUE(send_x_input("key Return"));
        ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) == nullptr; }, 10000));
        Sleep(300);
    }

    // Presses the start button and waits until the job has opened the output folder.
    void run_job() const {
        int opened = opened_folders();
        click(START_BUTTON);
        ASSERT_TRUE(wait_until([&] { return opened_folders() > opened; }, 30000));
        Sleep(300);
    }
    int opened_folders() const { return lines_of(folder_log()) / 2; }
    // The command lines the tool was started with, oldest first.
    std::vector<std::string> tool_calls() const { return every_other_line(tool_log(), 0); }
    std::vector<std::string> tool_directories() const { return every_other_line(tool_log(), 1); }
    std::vector<std::string> opened_folder_lines() const { return every_other_line(folder_log(), 0); }

    // Waits for the program to end; its exit code, or STILL_ACTIVE.
    DWORD exit_code(int timeout_ms = 10000) const {
        WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout_ms));
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    // A folder of its own for each run: a tool still running from an earlier run keeps its folder.
    static std::string next_folder_name() {
        static int runs = 0;
        return "converter-run-" + std::to_string(++runs);
    }
    HWND shown_window() const {
        HWND found = FindWindowA(nullptr, WINDOW_TITLE);
        DWORD owner = 0;
        if (found) GetWindowThreadProcessId(found, &owner);
        return found && owner == process_.dwProcessId && IsWindowVisible(found) ? found : nullptr;
    }
    static int lines_of(const std::string& path) {
        std::string text = read_file(path);
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    static std::vector<std::string> every_other_line(const std::string& path, size_t first) {
        std::vector<std::string> lines;
        std::string text = read_file(path);
        size_t index = 0;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1, ++index)
            if (index % 2 == first) lines.push_back(text.substr(start, end - start));
        return lines;
    }

    ScratchFolder folder_;
    std::string work_;
    PROCESS_INFORMATION process_{};
    BOOL started_ = FALSE;
    HWND window_ = nullptr;
};

// --- First display ------------------------------------------------------------------------------

// Every pixel of the client area that no control covers shows the skin. The group box paints only
// its outline and its title, so the panel inside it is checked too.
int pixels_off_the_skin(const Converter& converter, const Pixels& skin) {
    Pixels shown = converter.pixels();
    std::vector<RECT> covered;
    for (const Control& control : controls_of(converter.window())) {
        if (!IsWindowVisible(control.handle)) continue;
        RECT area = control.area;
        if (control.class_name == "Button" && (GetWindowLongPtrA(control.handle, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
            covered.push_back({area.left, area.top, area.right, area.top + 16});  // its title
            covered.push_back({area.left, area.top, area.left + 2, area.bottom});
            covered.push_back({area.right - 2, area.top, area.right, area.bottom});
            covered.push_back({area.left, area.bottom - 2, area.right, area.bottom});
        } else {
            covered.push_back(area);
        }
    }
    int off = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            bool under_control = std::any_of(covered.begin(), covered.end(), [&](const RECT& r) { return inside(r, x, y); });
            if (!under_control && shown.at(x, y) != skin.at(x, y)) ++off;
        }
    return off;
}

// Read-out pixels: white text blended over the skin, nothing else.
struct ReadOut {
    int ink = 0;        // pixels lighter than the skin beneath
    int darker = 0;     // pixels darker than the skin beneath (never white text)
    int right_end = 0;  // one past the rightmost inked column
};

ReadOut read_out_of(const Pixels& shown, const Pixels& skin) {
    ReadOut read_out;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            COLORREF pixel = shown.at(x, y), under = skin.at(READ_OUT.left + x, READ_OUT.top + y);
            if (pixel == under) continue;
            bool lighter = GetRValue(pixel) >= GetRValue(under) && GetGValue(pixel) >= GetGValue(under) &&
                           GetBValue(pixel) >= GetBValue(under);
            ++(lighter ? read_out.ink : read_out.darker);
            read_out.right_end = std::max(read_out.right_end, x + 1);
        }
    return read_out;
}

// The read-out as the converter shows it for each count: drawn by the converter's own start-up and
// drawing code in a window of this process, read back from the screen, and closed again before any
// converter starts.
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

// The count whose read-out is shown, or -1.
int shown_count(const Pixels& shown, const std::vector<Pixels>& read_outs) {
    auto found = std::find(read_outs.begin(), read_outs.end(), shown);
    return found == read_outs.end() ? -1 : static_cast<int>(found - read_outs.begin());
}

TEST(ConverterTest, FirstDisplayIsTheCompleteSkinnedWindowInTheScreensCentre) {
    Converter converter;
    ASSERT_NE(converter.window(), nullptr);
    RECT frame;
    GetWindowRect(converter.window(), &frame);
    EXPECT_EQ(frame.left, 610);
    EXPECT_EQ(frame.top, 320);
    EXPECT_EQ(frame.right - frame.left, 700);
    EXPECT_EQ(frame.bottom - frame.top, 440);
    LONG_PTR style = GetWindowLongPtrA(converter.window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_SYSMENU));

    Pixels skin = resource_picture("background.png");
    ASSERT_EQ(skin.width, 700);
    EXPECT_EQ(pixels_off_the_skin(converter, skin), 0);
    EXPECT_EQ(converter.pixels(BADGE), resource_picture("badge_flv.png"));

    EXPECT_EQ(text_of(converter.source_field()), "");
    EXPECT_TRUE(IsWindowEnabled(converter.source_field()));
    EXPECT_FALSE(IsWindowEnabled(control_at(converter.window(), 25, 125, "Edit")));
    EXPECT_FALSE(IsWindowEnabled(control_at(converter.window(), 385, 125, "Button")));
    EXPECT_TRUE(IsWindowEnabled(control_at(converter.window(), 385, 95, "Button")));
    EXPECT_EQ(text_of(control_at(converter.window(), 590, 330, "Button")), START_TEXT);
    ASSERT_NE(converter.busy_bar(), nullptr);
    EXPECT_FALSE(IsWindowVisible(converter.busy_bar()));
    EXPECT_TRUE(IsWindowVisible(converter.idle_bar()));
    EXPECT_EQ(SendMessageA(converter.idle_bar(), PBM_GETPOS, 0, 0), 0);

    // "Время обработки:   00:00" in Arial 9: about 143 pixels of white text, within the picture.
    ReadOut read_out = read_out_of(converter.pixels(READ_OUT), skin);
    EXPECT_GT(read_out.ink, 150);
    EXPECT_EQ(read_out.darker, 0);
    EXPECT_GE(read_out.right_end, 135);
    EXPECT_LE(read_out.right_end, 150);
}

// Minutes and seconds of the hour: a full hour reads 00:00 again, and no two of the others agree.
TEST(ConverterTest, TheReadOutShowsMinutesAndSecondsOfTheHour) {
    const std::vector<Pixels> shown = read_outs_for({0, 75, 3599, 3600});
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3], shown[0]) << "3600 s";
    EXPECT_FALSE(shown[1] == shown[0]) << "75 s";
    EXPECT_FALSE(shown[2] == shown[0]) << "3599 s";
    EXPECT_FALSE(shown[2] == shown[1]) << "3599 s against 75 s";
}

TEST(ConverterTest, FormatLabelsShowTheirBadges) {
    Converter converter;
    const std::pair<POINT, const char*> choices[] = {
        {SWF_LINK, "badge_swf.png"}, {MPG_LINK, "badge_mpg.png"}, {AVI_LINK, "badge_avi.png"}, {FLV_LINK, "badge_flv.png"}};
    for (const auto& [label, badge] : choices) {
        converter.click(label);
        EXPECT_EQ(converter.pixels(BADGE), resource_picture(badge)) << badge;
    }
}

// --- Choosing the source and running jobs -----------------------------------------------------

TEST(ConverterTest, ChosenFileIsRenamedAndEachJobRunsTheToolOnItWhileTheReadOutTicks) {
    Converter converter({true, 3});
    std::string source = converter.sources() + "\\my clip.avi";
    write_file(source, "source video");
    converter.choose(source);
    std::string clean = converter.sources() + "\\my_clip.avi";
    EXPECT_EQ(text_of(converter.source_field()), clean);
    EXPECT_FALSE(file_exists(source));
    EXPECT_EQ(read_file(clean), "source video");

    converter.click(MPG_LINK);
    Pixels before = converter.pixels(READ_OUT);
    converter.click(START_BUTTON);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(converter.busy_bar()) && !IsWindowVisible(converter.idle_bar()); }, 3000));
    std::vector<Pixels> first_job_read_outs{before};
    wait_until([&] {
        Pixels now = converter.pixels(READ_OUT);
        if (!(now == first_job_read_outs.back())) first_job_read_outs.push_back(now);
        return converter.opened_folders() > 0;
    }, 20000);
    EXPECT_GE(first_job_read_outs.size(), 3u) << "the read-out advances once a second";
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(converter.busy_bar()));
    EXPECT_TRUE(IsWindowVisible(converter.idle_bar()));
    const Pixels after_job = converter.pixels(READ_OUT);
    Sleep(2500);
    EXPECT_EQ(converter.pixels(READ_OUT), after_job) << "the read-out's timer stops when the job ends";

    ASSERT_EQ(converter.tool_calls().size(), 1u);
    EXPECT_EQ(converter.tool_calls()[0], "\"FFmpeg\" -i " + clean + " -y  -sameq  my_clip.avi.mpg");
    EXPECT_EQ(converter.tool_directories()[0], converter.work());
    EXPECT_TRUE(file_exists(converter.work() + "\\my_clip.avi.mpg"));
    ASSERT_EQ(converter.opened_folder_lines().size(), 1u);
    const std::string opened = converter.opened_folder_lines()[0];
    EXPECT_EQ(opened.substr(opened.size() - converter.work().size() - 3), "\"" + converter.work() + "\\\"");

    // A second job continues the count: no read-out of the first job's early seconds comes back.
    converter.click(START_BUTTON);
    wait_until([&] {
        Pixels now = converter.pixels(READ_OUT);
        for (size_t second = 0; second + 1 < first_job_read_outs.size(); ++second)
            EXPECT_FALSE(now == first_job_read_outs[second]) << "the read-out went back to second " << second;
        return converter.opened_folders() > 1;
    }, 20000);
    EXPECT_EQ(converter.tool_calls().size(), 2u);
}

TEST(ConverterTest, EverySpaceBecomesAnUnderscoreAndACancelledDialogForgetsTheChoice) {
    Converter converter;
    std::string source = converter.sources() + "\\a  b.avi";
    write_file(source, "two spaces");
    converter.choose(source);
    EXPECT_EQ(read_file(converter.sources() + "\\a__b.avi"), "two spaces");
    EXPECT_EQ(text_of(converter.source_field()), converter.sources() + "\\a__b.avi");

    converter.choose("");
    EXPECT_EQ(text_of(converter.source_field()), "");
    converter.run_job();
    ASSERT_EQ(converter.tool_calls().size(), 1u);
    EXPECT_EQ(converter.tool_calls()[0], "\"FFmpeg\" -i  -y  -sameq  .flv");
}

// Only the file is renamed: a space in a folder's name makes the rename fail, and the field still
// shows the underscored path that the job will be given.
TEST(ConverterTest, ASourceInAFolderWithASpaceKeepsItsNameAndTheFieldShowsTheUnderscoredPath) {
    Converter converter;
    const std::string folder = converter.sources() + "\\my clips";
    CreateDirectoryA(folder.c_str(), nullptr);
    write_file(folder + "\\clip.avi", "in a spaced folder");
    converter.choose(folder + "\\clip.avi");
    EXPECT_EQ(text_of(converter.source_field()), converter.sources() + "\\my_clips\\clip.avi");
    EXPECT_EQ(read_file(folder + "\\clip.avi"), "in a spaced folder");
}

TEST(ConverterTest, AChoiceWhoseCleanNameIsAnotherFileIsDroppedAndBothFilesStay) {
    Converter converter;
    std::string source = converter.sources() + "\\c d.avi", other = converter.sources() + "\\c_d.avi";
    write_file(source, "chosen");
    write_file(other, "another file");
    converter.choose(source);
    EXPECT_EQ(text_of(converter.source_field()), "");
    EXPECT_EQ(read_file(source), "chosen");
    EXPECT_EQ(read_file(other), "another file");

    converter.click(AVI_LINK);
    converter.run_job();
    ASSERT_EQ(converter.tool_calls().size(), 1u);
    EXPECT_EQ(converter.tool_calls()[0], "\"FFmpeg\" -i  -y  -sameq  .avi");
}

TEST(ConverterTest, WithoutTheToolAJobStillRestoresTheIdleBarAndOpensTheFolder) {
    Converter converter({false, 0});
    converter.run_job();
    EXPECT_EQ(converter.opened_folders(), 1);
    EXPECT_TRUE(converter.tool_calls().empty());
    EXPECT_FALSE(IsWindowVisible(converter.busy_bar()));
    EXPECT_TRUE(IsWindowVisible(converter.idle_bar()));
}

// Paths of 250 to 259 characters (the most the dialog returns), Cyrillic names, dots and leading
// dashes: each file gets exactly its underscored name, and the tool exactly that path and file part.
TEST(ConverterTest, LongCyrillicDottedAndDashedNamesAreRenamedAndPassedOnWhole) {
    Converter converter;
    auto padded = [&](std::string stem, size_t length) {
        std::string path = converter.sources() + "\\" + stem;
        for (size_t i = 0; path.size() + 4 < length; ++i) path += i % 10 == 9 ? ' ' : 'p';
        return path + ".avi";
    };
    const struct {
        const char* what;
        std::string path;
        bool typed;  // else put into the name field
    } rows[] = {
        {"250 characters", padded("long ", 250), true},
        {"259 characters", padded("longest ", 259), true},
        {"Cyrillic", converter.sources() + "\\\xC2\xE8\xE4\xE5\xEE \xEA\xEB\xE8\xEF.avi", false},
        {"Cyrillic, 259 characters", padded("\xD4\xE8\xEB\xFC\xEC ", 259), false},
        {"dots", converter.sources() + "\\a.b .c..avi", true},
        {"leading dashes", converter.sources() + "\\--x -y.avi", true},
    };
    for (const auto& row : rows) {
        std::string clean = row.path;
        std::replace(clean.begin(), clean.end(), ' ', '_');
        std::string base = clean.substr(clean.rfind('\\') + 1);
        write_file(row.path, row.what);
        if (row.typed) converter.choose(row.path);
        else converter.choose_by_name_field(row.path);
        EXPECT_EQ(text_of(converter.source_field()), clean) << row.what;
        EXPECT_FALSE(file_exists(row.path)) << row.what;
        EXPECT_EQ(read_file(clean), row.what) << row.what << ": the file under its clean name";
        converter.run_job();
        ASSERT_FALSE(converter.tool_calls().empty());
        EXPECT_EQ(converter.tool_calls().back(), "\"FFmpeg\" -i " + clean + " -y  -sameq  " + base + ".flv") << row.what;
        EXPECT_TRUE(file_exists(converter.work() + "\\" + base + ".flv")) << row.what << ": the output";
    }
}

// Modal loops dispatch many ticks of the read-out's timer before the event loop waits again: the
// drag loop of the window, held for 5 s with the mouse moving, and the open-file dialog, held
// open for 5 s. Afterwards the read-out, read back exactly, shows the seconds since the press.
TEST(ConverterTest, TheReadOutKeepsTimeWhileTheWindowIsDraggedOrTheDialogIsOpen) {
    std::vector<int> counts(31);
    std::iota(counts.begin(), counts.end(), 0);
    const std::vector<Pixels> read_outs = read_outs_for(counts);
    ASSERT_EQ(read_outs.size(), 31u);
    Converter converter({true, 15});
    ASSERT_TRUE(send_x_input(gui_test::screen_point(converter.window(), START_BUTTON.x, START_BUTTON.y) + " click 1"));
    const ULONGLONG pressed = GetTickCount64();
    Sleep(1000);
    const struct {
        const char* what;
        std::function<void()> hold_for_five_seconds;
    } loops[] = {
        {"window dragged", [&] {
             std::string drag = gui_test::screen_point(converter.window(), 300, 20) + " mousedown 1";
             for (int step = 0; step < 50; ++step) drag += " mousemove_relative 2 1 sleep 0.1";
             ASSERT_TRUE(send_x_input(drag + " mouseup 1", 20000));
         }},
        {"dialog open", [&] {
             converter.click(BROWSE_BUTTON);
             ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) != nullptr; }, 10000));
             Sleep(5000);
             ASSERT_TRUE(send_x_input("key Escape"));
             ASSERT_TRUE(wait_until([] { return FindWindowA(nullptr, OPEN_FILE_TITLE) == nullptr; }, 10000));
         }},
    };
    for (const auto& loop : loops) {
        loop.hold_for_five_seconds();
        Sleep(500);  // the ticks kept meanwhile are drawn
        const Pixels shown = converter.pixels(READ_OUT);
        const int seconds = static_cast<int>((GetTickCount64() - pressed) / 1000);
        const int count = shown_count(shown, read_outs);
        EXPECT_NE(count, -1) << loop.what << ": the read-out shows a count";
        EXPECT_LE(std::abs(count - seconds), 1) << loop.what << ": the read-out shows " << count << " s, "
                                                << seconds << " s have passed since the press";
    }
}

// --- Moving and ending --------------------------------------------------------------------------

TEST(ConverterTest, APressOnTheSkinDragsTheWindowAndAClickOnALabelActsWithoutMovingIt) {
    Converter converter;
    std::string press = gui_test::screen_point(converter.window(), 300, 20);
    ASSERT_TRUE(send_x_input(press + " mousedown 1 mousemove_relative 100 60 mouseup 1"));
    RECT moved;
    ASSERT_TRUE(wait_until([&] { GetWindowRect(converter.window(), &moved); return moved.left != 610; }, 3000));
    EXPECT_EQ(moved.left, 710);
    EXPECT_EQ(moved.top, 380);

    converter.click(AVI_LINK);
    RECT after_click;
    GetWindowRect(converter.window(), &after_click);
    EXPECT_EQ(after_click.left, 710);
    EXPECT_EQ(after_click.top, 380);
    EXPECT_EQ(converter.pixels(BADGE), resource_picture("badge_avi.png"));
}

TEST(ConverterTest, TheCloseLinkAndACloseRequestEndTheProgramWithCodeZero) {
    {
        Converter converter;
        converter.click(CLOSE_LINK);
        EXPECT_EQ(converter.exit_code(), 0u);
    }
    {
        Converter converter;
        PostMessageA(converter.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(converter.exit_code(), 0u);
    }
}

TEST(ConverterTest, TheMinimiseLinkMinimisesTheWindow) {
    Converter converter;
    converter.click(MINIMISE_LINK);
    EXPECT_TRUE(wait_until([&] { return IsIconic(converter.window()) != FALSE; }, 3000));
}

// Several jobs, each with another format, so that each tool writes an output of its own: the
// program ends at once with code 0, and the tools, which are not its to stop, run on to their end.
TEST(ConverterTest, EndingTheProgramWhileSeveralJobsRunExitsWithCodeZeroAndTheirToolsRunOn) {
    for (bool by_link : {true, false}) {
        Converter converter({true, 4});
        for (POINT format : {AVI_LINK, MPG_LINK, SWF_LINK}) {
            converter.click(format);
            converter.click(START_BUTTON);
        }
        ASSERT_TRUE(wait_until([&] { return converter.tool_calls().size() == 3; }, 10000));
        if (by_link) converter.click(CLOSE_LINK);
        else PostMessageA(converter.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(converter.exit_code(3000), 0u) << (by_link ? "close link" : "WM_CLOSE");
        for (const char* output : {"\\.avi", "\\.mpg", "\\.swf"})
            EXPECT_TRUE(wait_until([&] { return file_exists(converter.work() + output); }, 10000)) << output;
        EXPECT_EQ(converter.opened_folders(), 0) << "no job outlived the program";
    }
}

// --- Load ---------------------------------------------------------------------------------------

// Fifty presses of the start button 30 ms apart, through real X input: fifty jobs, whose tools
// run side by side, each started with the whole command line, each followed by the folder.
TEST(ConverterTest, FiftyJobsStartedAsFastAsTheButtonIsPressedEachRunTheToolWithItsWholeCommandLine) {
    constexpr size_t JOBS = 50;
    Converter converter({true, 1});
    std::string source = converter.sources() + "\\load test clip.avi";
    write_file(source, "source video");
    converter.choose(source);
    converter.click(SWF_LINK);
    std::string press = gui_test::screen_point(converter.window(), START_BUTTON.x, START_BUTTON.y);
    ASSERT_TRUE(send_x_input(press + " click --repeat " + std::to_string(JOBS) + " --delay 30 1"));
    EXPECT_TRUE(wait_until([&] { return converter.opened_folders() >= static_cast<int>(JOBS); }, 120000));
    Sleep(1000);  // a press beyond fifty would show now

    std::string clean = converter.sources() + "\\load_test_clip.avi";
    std::vector<std::string> calls = converter.tool_calls(), directories = converter.tool_directories();
    ASSERT_EQ(calls.size(), JOBS);
    for (size_t i = 0; i < JOBS; ++i) {
        EXPECT_EQ(calls[i], "\"FFmpeg\" -i " + clean + " -y  -sameq  load_test_clip.avi.swf") << "call " << i;
        EXPECT_EQ(directories[i], converter.work()) << "call " << i;
    }
    EXPECT_EQ(converter.opened_folders(), static_cast<int>(JOBS));
    EXPECT_FALSE(IsWindowVisible(converter.busy_bar()));
    EXPECT_TRUE(IsWindowVisible(converter.idle_bar()));
    PostMessageA(converter.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(converter.exit_code(), 0u);
}

// Two hundred presses of the start button, each followed at once by a click on the next format
// label, through real X input: the main thread replaces the chosen format while the jobs start,
// yet each job runs the tool with the whole command line of the format chosen at its press.
TEST(ConverterTest, EachJobRunsWithTheFormatOfItsPressWhileTheLabelsAreClickedUnderIt) {
    constexpr int PRESSES = 200;
    const std::pair<POINT, const char*> formats[] = {{FLV_LINK, "flv"}, {AVI_LINK, "avi"}, {MPG_LINK, "mpg"}, {SWF_LINK, "swf"}};
    Converter converter;
    std::string source = converter.sources() + "\\race clip.avi";
    write_file(source, "source video");
    converter.choose(source);
    std::string input;
    for (int press = 0; press < PRESSES; ++press) {
        input += gui_test::screen_point(converter.window(), START_BUTTON.x, START_BUTTON.y) + " click 1 ";
        const POINT next = formats[(press + 1) % 4].first;
        input += gui_test::screen_point(converter.window(), next.x, next.y) + " click 1 ";
    }
    ASSERT_TRUE(send_x_input(input, 120000));
    EXPECT_TRUE(wait_until([&] { return converter.opened_folders() >= PRESSES; }, 240000));

    const std::string line = "\"FFmpeg\" -i " + converter.sources() + "\\race_clip.avi -y  -sameq  race_clip.avi.";
    std::map<std::string, int> runs;
    for (const std::string& call : converter.tool_calls()) {
        const bool well_formed = call.size() == line.size() + 3 && call.compare(0, line.size(), line) == 0;
        EXPECT_TRUE(well_formed) << call;
        ++runs[well_formed ? call.substr(line.size()) : "malformed"];
    }
    for (const auto& [label, extension] : formats)
        EXPECT_EQ(runs[extension], PRESSES / 4) << "jobs pressed while " << extension << " was chosen";
}

} // namespace
