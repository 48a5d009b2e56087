// The program's own start (app/win32/entry.cpp) and C functions (c_library.cpp,
// runtime_support.cpp), linked as the program links them: no C runtime, no start-up
// files. Started without arguments it checks the C functions in itself, then starts
// itself twice more and checks how those copies start and end:
//   own_runtime_test child CODE   logs its start and end to standard output and exits
//                                 with CODE plus the window state it was given;
//   own_runtime_test pure         makes a pure virtual call, which must end it with the
//                                 status of abort(), 3.
// Prints one line per failed check and exits with 0 when every check held, 1 when not.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

void print(const char *text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
              &written, nullptr);
}

// What happened at start and end, in order, words separated by blanks. A plain array,
// so that it needs no constructor of its own.
char g_log[256];
std::size_t g_logLength = 0;
bool g_isChild = false;

void note(const char *word)
{
    for (const char *at = word; *at != '\0' && g_logLength + 2 < sizeof g_log; ++at) {
        g_log[g_logLength++] = *at;
    }
    g_log[g_logLength++] = ' ';
}

// A static object whose constructor and destructor note their name. The first one
// is destroyed last of all and then writes the log of a child.
class Witness
{
public:
    explicit Witness(const char *name, bool isFirst) : m_name(name), m_isFirst(isFirst)
    {
        note(m_name);
    }
    ~Witness()
    {
        note(m_name);
        if (m_isFirst && g_isChild) {
            g_log[g_logLength] = '\0';
            print(g_log);
        }
    }
    Witness(const Witness &) = delete;
    Witness &operator=(const Witness &) = delete;

private:
    const char *m_name;
    bool m_isFirst;
};

Witness g_first("first", true);
Witness g_second("second", false);

// Listed in the linker's destructor list, not registered with atexit().
__attribute__((destructor)) void listedDestructor()
{
    note("listed");
}

void registeredFirst()
{
    note("atexit1");
}

void registeredSecond()
{
    note("atexit2");
}

// The functions under test, called through pointers that the compiler cannot see
// through, so that it neither evaluates a call itself nor puts its own code in place.
void *(*volatile g_memmove)(void *, const void *, std::size_t) = std::memmove;
int (*volatile g_memcmp)(const void *, const void *, std::size_t) = std::memcmp;
int (*volatile g_strcmp)(const char *, const char *) = std::strcmp;
void *(*volatile g_calloc)(std::size_t, std::size_t) = std::calloc;
void *(*volatile g_realloc)(void *, std::size_t) = std::realloc;
float (*volatile g_floorf)(float) = floorf;

int g_failures = 0;

void check(bool held, const char *what)
{
    if (!held) {
        ++g_failures;
        print("FAILED: ");
        print(what);
        print("\r\n");
    }
}

void checkMemoryFunctions()
{
    char forward[] = "abcdefgh";
    g_memmove(forward + 2, forward, 5);
    check(g_memcmp(forward, "ababcdeh", 9) == 0, "memmove to a higher overlapping address");
    char backward[] = "abcdefgh";
    g_memmove(backward, backward + 2, 5);
    check(g_memcmp(backward, "cdefgfgh", 9) == 0, "memmove to a lower overlapping address");

    constexpr std::size_t size = 64;
    auto *used = static_cast<unsigned char *>(std::malloc(size));
    std::memset(used, 0xA5, size);
    std::free(used);
    auto *zeroed = static_cast<unsigned char *>(g_calloc(size / 4, 4));
    bool allZero = zeroed != nullptr;
    for (std::size_t i = 0; allZero && i < size; ++i) {
        allZero = zeroed[i] == 0;
    }
    check(allZero, "calloc gives zeros");
    std::free(zeroed);
    check(g_calloc(SIZE_MAX / 2 + 2, 2) == nullptr, "calloc refuses a size that overflows");

    auto *kept = static_cast<unsigned char *>(std::malloc(16));
    for (unsigned char i = 0; i < 16; ++i) {
        kept[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    // Far larger than the block, so that it moves.
    kept = static_cast<unsigned char *>(g_realloc(kept, 1 << 20));
    bool same = kept != nullptr;
    for (unsigned char i = 0; same && i < 16; ++i) {
        same = kept[i] == static_cast<unsigned char>(i * 7 + 1);
    }
    check(same, "realloc keeps the contents");
    std::free(kept);
}

void checkComparisons()
{
    check(g_memcmp("ab", "ab", 2) == 0, "memcmp of equal blocks");
    check(g_memcmp("ab", "ac", 2) < 0 && g_memcmp("ac", "ab", 2) > 0,
          "memcmp's sign follows the first differing byte");
    check(g_memcmp("\x80", "\x01", 1) > 0, "memcmp compares bytes as unsigned");
    check(g_strcmp("abc", "abc") == 0, "strcmp of equal texts");
    check(g_strcmp("ab", "abc") < 0 && g_strcmp("abc", "ab") > 0,
          "strcmp puts a text before its longer continuation");
    check(g_strcmp("\xE9", "e") > 0, "strcmp compares characters as unsigned");
}

void checkFloorf()
{
    check(g_floorf(-0.5f) == -1.0f, "floorf(-0.5) is -1");
    check(g_floorf(-1.0f) == -1.0f, "floorf(-1) is -1");
    check(g_floorf(2.5f) == 2.0f, "floorf(2.5) is 2");
    check(g_floorf(8388608.0f) == 8388608.0f, "floorf(2^23) is 2^23");
    check(g_floorf(-8388607.5f) == -8388608.0f, "floorf(-8388607.5) is -2^23");
    const float nan = g_floorf(std::numeric_limits<float>::quiet_NaN());
    check(nan != nan, "floorf(NaN) is NaN");
}

// Starts this program again with the arguments and window state given and waits for
// it; returns its exit code, and its standard output in output.
DWORD runChild(const char *arguments, WORD show, char *output, std::size_t outputSize)
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        return static_cast<DWORD>(-1);
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    // The program's name quoted, then more than one blank before the arguments.
    char commandLine[MAX_PATH + 64] = "\"";
    std::size_t length = 1 + GetModuleFileNameA(nullptr, commandLine + 1, MAX_PATH);
    for (const char *part : {"\"  ", arguments}) {
        for (; *part != '\0' && length + 1 < sizeof commandLine; ++part) {
            commandLine[length++] = *part;
        }
    }
    commandLine[length] = '\0';

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = show;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    DWORD status = static_cast<DWORD>(-1);
    length = 0;
    if (started) {
        DWORD read = 0;
        while (length + 1 < outputSize &&
               ReadFile(readEnd, output + length, static_cast<DWORD>(outputSize - 1 - length),
                        &read, nullptr) &&
               read > 0) {
            length += read;
        }
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    output[length] = '\0';
    CloseHandle(readEnd);
    return status;
}

void checkStartAndEnd()
{
    char output[256];
    const DWORD status = runChild("child 100", SW_SHOWMINNOACTIVE, output, sizeof output);
    check(status == 100 + SW_SHOWMINNOACTIVE,
          "WinMain gets its arguments and window state, and its result is the exit code");
    check(std::strcmp(output, "first second WinMain atexit2 atexit1 listed second first ") == 0,
          "constructors run before WinMain; atexit functions, the listed destructors and "
          "the static objects' destructors after it in reverse order");
    if (output[0] != '\0') {
        print("child: ");
        print(output);
        print("\r\n");
    }

    check(runChild("pure", SW_SHOWNORMAL, output, sizeof output) == 3,
          "a pure virtual call ends the program as abort() does");
}

// The whole number at the start of text (the program's C library has no atoi).
int numberAt(const char *text)
{
    int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
    }
    return value;
}

// The text after prefix when text begins with it, or null.
const char *after(const char *text, const char *prefix)
{
    for (; *prefix != '\0'; ++prefix, ++text) {
        if (*text != *prefix) {
            return nullptr;
        }
    }
    return text;
}

int childMain(const char *arguments, int show)
{
    g_isChild = true;
    note("WinMain");
    std::atexit(registeredFirst);
    std::atexit(registeredSecond);
    return numberAt(arguments) + show;
}

} // namespace

// A class whose constructor calls its own pure virtual function. The classes are outside
// the anonymous namespace and the call goes through a pointer, so that the compiler
// cannot know which class the object has at the time.
class Unfinished
{
public:
    Unfinished();
    virtual ~Unfinished() = default;
    Unfinished(const Unfinished &) = delete;
    Unfinished &operator=(const Unfinished &) = delete;

    virtual void work() = 0;
};

void callWork(Unfinished *object)
{
    object->work();
}

void (*volatile g_callWork)(Unfinished *) = callWork;

Unfinished::Unfinished()
{
    g_callWork(this);
}

class Finished : public Unfinished
{
public:
    void work() override {}
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int show)
{
    if (const char *arguments = after(commandLine, "child ")) {
        return childMain(arguments, show);
    }
    if (after(commandLine, "pure") != nullptr) {
        Finished finished;
        finished.work();
        return 0;
    }
    check(std::strcmp(g_log, "first second ") == 0,
          "the static constructors ran before WinMain, in order");
    checkMemoryFunctions();
    checkComparisons();
    checkFloorf();
    checkStartAndEnd();
    print(g_failures == 0 ? "passed\r\n" : "failed\r\n");
    return g_failures == 0 ? 0 : 1;
}
