// A host with spdlog loggers of its own that loads the library at run time, as a plug-in would.
//   spdlog_host unload   logs, loads and unloads the library, logs again
//   spdlog_host exit     loads the library and exits; a static object logs from its destructor
// Every line the host means to write ends up on standard output.
#include <dlfcn.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include <cstdio>
#include <cstring>

namespace {

void LogThroughTheHostsLoggers(const char* when) {
    spdlog::info("default logger {}", when);
    spdlog::get("host")->info("named logger {}", when);
}

// Built before the library is loaded, so it is destroyed after the library's exit handlers ran.
struct LogsAtExit {
    LogsAtExit() { spdlog::set_default_logger(spdlog::stdout_logger_mt("host")); }
    ~LogsAtExit() { LogThroughTheHostsLoggers("at exit"); }
} logsAtExit;

void* Load() {
    void* library = dlopen(TAV_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "dlopen: %s\n", dlerror());
    }
    return library;
}

}  // namespace

int main(int argc, char** argv) {
    LogThroughTheHostsLoggers("before loading");
    void* library = Load();
    if (library == nullptr) {
        return 2;
    }
    LogThroughTheHostsLoggers("while loaded");
    if (argc > 1 && std::strcmp(argv[1], "unload") == 0) {
        if (dlclose(library) != 0) {
            std::fprintf(stderr, "dlclose: %s\n", dlerror());
            return 2;
        }
        LogThroughTheHostsLoggers("after unloading");
    }
    return 0;
}
