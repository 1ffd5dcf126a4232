// The shell's folder window in tests: appends its command line and current directory to the file FOLDER_OPEN_LOG names.
#include "support/process_record.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return test_support::append_start_record(test_support::environment_variable("FOLDER_OPEN_LOG")) ? 0 : 1;
}
