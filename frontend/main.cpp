// FFmpeg.exe: stands beside the converter in place of the tool it calls, runs a current FFmpeg with
// options that keep the source's quality, shows its progress and says plainly what went wrong.
//
// Exit status: 0 when the conversion succeeded, the tool's own status for a call passed through,
// and otherwise non-zero: NO_TOOL, NO_SOURCE, or the failed tool's status (at least 1).
#include "call.h"
#include "console.h"
#include "probe.h"
#include "progress.h"
#include "tool_process.h"
#include "tool_search.h"
#include "translation.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace frontend {

namespace {

constexpr int NO_TOOL = 2, NO_SOURCE = 3, OUT_OF_MEMORY = 4;
constexpr unsigned KEY_WAIT_SECONDS = 60;
constexpr ULONGLONG PROGRESS_PERIOD_MS = 1000;

[[noreturn]] void stop_out_of_memory() {
    static const char MESSAGE[] = "\r\nНедостаточно памяти.\r\n";
    say(MESSAGE, sizeof MESSAGE - 1);
    ExitProcess(OUT_OF_MEMORY);
}

int fail(const std::string& message, int status) {
    say("\r\n" + message + "\r\n");
    wait_for_key(KEY_WAIT_SECONDS);
    return status;
}

std::string missing_tool_message() {
    return "Не найдена программа ffmpeg.exe, которая выполняет преобразование.\r\n"
           "Скачайте FFmpeg (версии 4 или новее) и положите ffmpeg.exe сюда:\r\n  " +
           own_folder() + "\\ffmpeg\\ffmpeg.exe\r\nили в папку, указанную в переменной PATH.";
}

// "" when the source can be converted, otherwise what the person should be told.
std::string source_problem(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return "Исходный файл не найден:\r\n  " + path + "\r\nВыберите видеофайл кнопкой \"...\" и нажмите \"Пуск\".";
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
        return "Исходный файл пуст:\r\n  " + path + "\r\nВыберите другой видеофайл.";
    return "";
}

int convert(const std::string& tool, const Call& call) {
    std::string problem = source_problem(call.source);
    if (!problem.empty()) return fail(problem, NO_SOURCE);
    say("Преобразование " + call.source + " -> " + call.output + "\r\n");
    const Source source = read_probe(run_tool_for_report(tool, {"-hide_banner", "-i", call.source}));
    const bool console = writes_to_console();
    const ULONGLONG start = GetTickCount64();
    ULONGLONG shown = 0;
    std::size_t previous_length = 0;  // a line rewritten in place covers all of the one before
    Progress progress;
    ToolResult result = run_tool_with_progress(tool, translate(call.source, call.output, call.format, source),
                                               [&](const std::string& line) {
        read_progress_line(line, progress);
        ULONGLONG now = GetTickCount64();
        bool block_complete = line.compare(0, 9, "progress=") == 0;
        if (!block_complete || (!progress.ended && now - shown < PROGRESS_PERIOD_MS)) return;
        shown = now;
        std::string text = progress_line(progress, source.duration, (now - start) / 1000.0);
        if (!console) return say(text + "\r\n");
        std::size_t length = text.size();
        text.resize(std::max(length, previous_length), ' ');
        previous_length = length;
        say("\r" + text);
    });
    if (result.status == 0) {
        say((console ? "\r\n" : "") + ("Готово: " + call.output) + "\r\n");
        return 0;
    }
    return fail("Программа ffmpeg.exe не смогла выполнить преобразование (код " + std::to_string(result.status) +
                    ").\r\nЕё последние сообщения:\r\n" + result.last_errors +
                    "Проверьте исходный файл или поставьте другую сборку FFmpeg в папку ffmpeg.",
                result.status > 0 ? result.status : 1);
}

int run(const std::string& command_line) {
    const Call call = read_call(arguments_of(command_line));
    if (call.kind != CallKind::PASS_THROUGH) place_console_beside_caller();  // its messages too stay clear
    if (call.kind == CallKind::NO_SOURCE)
        return fail("Исходный файл не выбран.\r\nВыберите видеофайл кнопкой \"...\", затем формат, и нажмите \"Пуск\".",
                    NO_SOURCE);
    const std::string tool = find_tool();
    if (tool.empty()) return fail(missing_tool_message(), NO_TOOL);
    if (call.kind == CallKind::PASS_THROUGH) return run_tool_passing_through(tool, call.arguments);
    return convert(tool, call);
}

} // namespace

} // namespace frontend

int main() {
    std::set_new_handler(frontend::stop_out_of_memory);
    return frontend::run(GetCommandLineA());
}
