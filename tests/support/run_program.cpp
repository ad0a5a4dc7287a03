#include "run_program.h"

#include "temp_dir.h"

#ifdef _WIN32
#include "runtime/windows_api.h"
#else
#include <chrono>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#endif

namespace zelmora::test {

#ifdef _WIN32

namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

// One word of a command line, quoted so that the C runtime of the program
// started (CommandLineToArgvW's rules) gives it back unchanged: backslashes
// are doubled only where they come before a quote or the closing quote.
std::wstring quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return word;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    out += L'"';
    return out;
}

HANDLE openInherited(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory, Output output) {
    TempDir outputs;
    ProgramRun run;
    const std::filesystem::path executable = std::filesystem::path(program).make_preferred();
    std::wstring commandLine = quoted(executable.native());
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(widen(argument));

    const HANDLE in = openInherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    // Windows has no full device and, under Wine, no closed output: both are
    // tried on Unix only.
    const HANDLE out = openInherited(outputs / "out", GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = openInherited(outputs / "err", GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    // No console of its own: its standard streams are the files above.
    const bool started =
        in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, directory.c_str(), &startup, &process);
    for (const HANDLE handle : {in, out, err})
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    if (!started)
        return run;

    DWORD status = 0;
    const bool ended = WaitForSingleObject(process.hProcess, 60 * 1000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process.hProcess, &status);
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ended)
        return run;
    (void)output;
    run.out = ReadFile(outputs / "out");
    run.err = ReadFile(outputs / "err");
    run.exitCode = static_cast<int>(status);
    return run;
}

#else

ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory, Output output) {
    TempDir outputs;
    const std::string out = (outputs / "out").string();
    const std::string err = (outputs / "err").string();
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(output == Output::FullDisk ? "/dev/full" : out.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
            ::chdir(directory.c_str()) != 0)
            ::_exit(127);
        if (output == Output::Closed)
            ::close(1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ProgramRun run;
    if (child < 0)
        return run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (output == Output::Captured)
        run.out = ReadFile(out);
    run.err = ReadFile(err);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

#endif

} // namespace zelmora::test
