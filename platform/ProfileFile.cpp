// Looks up one value in a profile file, following the Windows reader's rules.
#include "platform/ProfileFile.h"

#include "platform/CodePage.h"
#include "platform/TextFile.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace platform {
namespace {

// Windows trims these around names and values: blanks, tabs, vertical tabs, form feeds,
// and Ctrl-Z, the end-of-file mark that DOS editors left after the last line.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// Only ASCII letters fold: the Windows-1250 letters above 0x7F are compared as bytes,
// so the result does not depend on the machine's locale.
char foldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAsciiCase(a[i]) != foldAsciiCase(b[i]))
            return false;
    }
    return true;
}

std::string cutToMaxLength(std::string_view value)
{
    return std::string(value.substr(0, kProfileValueMaxLength));
}

// One name or value of a line, taken a character at a time. Blanks before it are dropped,
// blanks after it only when the line ends: Windows keeps names and values as text that
// ends at a NUL, so a NUL ends this text where it stands, blanks before it kept. Only the
// first `kept` characters are held, however long the line; length() counts them all.
class FieldText {
public:
    explicit FieldText(std::size_t kept = 0) : kept_(kept) {}

    void add(char c)
    {
        if (ended_)
            return;
        if (c == '\0') {
            settleBlanks();
            ended_ = true;
        } else if (isBlank(c)) {
            if (length_ == 0)
                return;
            if (blanks_.size() < kept_)
                blanks_ += c;
            ++blankCount_;
            lastBlank_ = c;
        } else {
            settleBlanks();
            append(c);
        }
    }

    std::size_t length() const noexcept { return length_; }
    const std::string& text() const noexcept { return text_; }  // the first `kept` characters
    char last() const noexcept { return last_; }

    bool equalsIgnoringCase(std::string_view name) const
    {
        return length_ == name.size() && equalsIgnoringAsciiCase(text_, name);
    }

private:
    void append(char c)
    {
        if (text_.size() < kept_)
            text_ += c;
        ++length_;
        last_ = c;
    }

    void settleBlanks()
    {
        if (blankCount_ == 0)
            return;
        const std::size_t room = kept_ > text_.size() ? kept_ - text_.size() : 0;
        text_.append(blanks_, 0, std::min(room, blanks_.size()));
        length_ += blankCount_;
        last_ = lastBlank_;
        blanks_.clear();
        blankCount_ = 0;
    }

    std::size_t kept_;
    std::string text_;
    std::size_t length_ = 0;
    char last_ = '\0';
    std::string blanks_;  // blanks after the text so far, kept only if more text follows
    std::size_t blankCount_ = 0;
    char lastBlank_ = '\0';
    bool ended_ = false;
};

// Quotes let a value keep blanks at its ends; blanks inside the quotes stay. Removed
// before the value is cut to length.
std::string valueOf(const FieldText& value)
{
    std::string_view text = value.text();
    const bool quoted = value.length() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                        value.last() == text.front();
    if (quoted) {
        text.remove_prefix(1);
        if (value.length() <= text.size() + 1)  // the closing quote is among the kept characters
            text.remove_suffix(1);
    }
    return cutToMaxLength(text);
}

// Looks for `key` in the first section called `section`, a character at a time, holding
// no more of a line than the names compared and the value's first characters: a line of
// any length costs time, never memory. A later section of the same name is not searched,
// as in the Windows reader. CR and LF each end a line.
class Lookup {
public:
    Lookup(std::string_view section, std::string_view key) : section_(section), key_(key) {}

    // False once the answer is known and no further text can change it.
    bool feed(std::string_view text)
    {
        for (char c : text) {
            if (c == '\r' || c == '\n')
                endLine();
            else
                take(c);
            if (done_)
                return false;
        }
        return true;
    }

    void finish()
    {
        if (!done_)
            endLine();
    }

    const std::optional<std::string>& value() const noexcept { return value_; }

private:
    enum class Part {
        Start,         // blanks before the first character
        SectionName,   // after '[', up to the first ']'
        KeyName,       // up to the first '='
        WantedValue,   // after '=' of the key looked for, in its section
        Rest,          // nothing more on this line matters
    };

    void take(char c)
    {
        switch (part_) {
        case Part::Start:
            if (isBlank(c))
                return;
            if (c == '[') {
                startName(Part::SectionName, section_);
            } else if (c == ';') {
                part_ = Part::Rest;  // a comment
            } else {
                startName(Part::KeyName, key_);
                name_.add(c);
            }
            return;
        case Part::SectionName:
            if (c == ']') {
                endSectionName();
                part_ = Part::Rest;  // text after the name is passed over
            } else {
                name_.add(c);
            }
            return;
        case Part::KeyName:
            if (c != '=') {
                name_.add(c);
            } else if (inWantedSection_ && name_.equalsIgnoringCase(key_)) {
                valueText_ = FieldText(kProfileValueMaxLength + 1);
                part_ = Part::WantedValue;
            } else {
                part_ = Part::Rest;
            }
            return;
        case Part::WantedValue: valueText_.add(c); return;
        case Part::Rest: return;
        }
    }

    void endLine()
    {
        switch (part_) {
        case Part::SectionName: endSectionName(); break;  // an unclosed '[' names the rest of the line
        case Part::WantedValue:
            value_ = valueOf(valueText_);
            done_ = true;
            break;
        case Part::KeyName:  // a line without '=' carries no value and is passed over
        case Part::Start:
        case Part::Rest: break;
        }
        part_ = Part::Start;
    }

    void startName(Part part, std::string_view wanted)
    {
        part_ = part;
        name_ = FieldText(wanted.size() + 1);
    }

    void endSectionName()
    {
        if (inWantedSection_)
            done_ = true;  // the section ended without the key
        inWantedSection_ = name_.equalsIgnoringCase(section_);
    }

    std::string_view section_;
    std::string_view key_;
    Part part_ = Part::Start;
    FieldText name_;
    FieldText valueText_;
    bool inWantedSection_ = false;
    bool done_ = false;
    std::optional<std::string> value_;
};

// Turns the file's bytes, read in pieces, into Windows-1250 text: a byte order mark at
// the start says UTF-16LE, UTF-16BE or UTF-8, anything else is Windows-1250 already.
class FileDecoder {
public:
    std::string decode(std::string_view piece)
    {
        pending_.append(piece);
        if (!encodingKnown_) {
            if (pending_.size() < 3 && couldStartAMark(pending_))
                return {};
            takeMark();
        }
        return takeDecodable(false);
    }

    std::string finish()
    {
        if (!encodingKnown_)
            takeMark();
        return takeDecodable(true);
    }

private:
    static bool couldStartAMark(std::string_view start)
    {
        for (std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
            if (mark.starts_with(start))
                return true;
        }
        return false;
    }

    void takeMark()
    {
        encodingKnown_ = true;
        const ByteOrderMark mark = byteOrderMarkOf(pending_);
        encoding_ = mark.encoding;
        pending_.erase(0, mark.length);
    }

    // Keeps back the end of a character that the next piece completes.
    std::string takeDecodable(bool last)
    {
        std::size_t complete = pending_.size();
        if (!last && (encoding_ == TextEncoding::Utf16le || encoding_ == TextEncoding::Utf16be))
            complete = utf16Complete();
        if (!last && encoding_ == TextEncoding::Utf8)
            complete = utf8Complete();
        const std::string_view ready = std::string_view(pending_).substr(0, complete);
        std::string text;
        switch (encoding_) {
        case TextEncoding::Unmarked: text.assign(ready); break;
        case TextEncoding::Utf16le: text = utf8ToWindows1250(utf16leToUtf8(ready)); break;
        case TextEncoding::Utf16be: text = utf8ToWindows1250(utf16beToUtf8(ready)); break;
        case TextEncoding::Utf8: text = utf8ToWindows1250(ready); break;
        }
        pending_.erase(0, complete);
        return text;
    }

    std::size_t utf16Complete() const
    {
        std::size_t complete = pending_.size() & ~std::size_t{1};
        if (complete >= 2) {
            const std::size_t highByteAt = encoding_ == TextEncoding::Utf16le ? complete - 1 : complete - 2;
            const auto highByte = static_cast<unsigned char>(pending_[highByteAt]);
            if (highByte >= 0xD8 && highByte <= 0xDB)
                complete -= 2;  // a high surrogate waits for its partner
        }
        return complete;
    }

    std::size_t utf8Complete() const
    {
        // Back up over continuation bytes to the last lead byte; keep it back if its
        // sequence is not complete yet.
        std::size_t start = pending_.size();
        for (int back = 0; back < 4 && start > 0; ++back) {
            const auto byte = static_cast<unsigned char>(pending_[--start]);
            if ((byte & 0xC0) != 0x80) {
                const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
                return pending_.size() - start >= needed ? pending_.size() : start;
            }
        }
        return pending_.size();
    }

    bool encodingKnown_ = false;
    TextEncoding encoding_ = TextEncoding::Unmarked;
    std::string pending_;
};

ProfileValue unreadable(std::string problem)
{
    return {ProfileValue::Source::Unreadable, {}, std::move(problem)};
}

ProfileValue defaultValueOf(std::string_view defaultValue,
                            ProfileValue::Source source = ProfileValue::Source::Default)
{
    return {source, windows1250ToUtf8(cutToMaxLength(utf8ToWindows1250(defaultValue))), {}};
}

// Reads the file in pieces through `consume` until it returns false or the file ends;
// nullopt when that worked, else why not.
using PieceConsumer = std::function<bool(std::string_view)>;

#if defined(_WIN32)

// Windows knows best how its own profile files are read: the value comes from its
// profile functions; this side tells a missing file from an unreadable one and looks
// at the first bytes for a byte order mark.
struct FileCheck {
    bool missing = false;
    bool byteOrderMark = false;
    std::optional<std::string> problem;
};

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { CloseHandle(handle); }
};

FileCheck checkFile(const std::filesystem::path& file)
{
    FileCheck check;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        check.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (!check.missing)
            check.problem = "Windows error " + std::to_string(error);
        return check;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        check.problem = "Is a directory";
        return check;
    }
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        check.problem = "Windows error " + std::to_string(GetLastError());
        return check;
    }
    const HandleCloser closer{handle};
    std::array<char, 3> start{};
    DWORD count = 0;
    if (ReadFile(handle, start.data(), static_cast<DWORD>(start.size()), &count, nullptr)) {
        const std::string_view head(start.data(), count);
        check.byteOrderMark = byteOrderMarkOf(head).encoding != TextEncoding::Unmarked;
    }
    return check;
}

// The default marks "not found": no value of a real file holds these control characters.
constexpr char kNotFound[] = "\x01<not found>\x01";
constexpr wchar_t kNotFoundWide[] = L"\x01<not found>\x01";

std::string toSystemCodePage(std::wstring_view wide, bool* lost = nullptr)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const DWORD flags = lost ? WC_NO_BEST_FIT_CHARS : 0;
    const int length = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, lost ? &usedDefault : nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), length, nullptr, nullptr);
    if (lost)
        *lost = usedDefault != FALSE;
    return text;
}

// The W function's answer, or nullopt when the file does not have the entry.
std::optional<std::wstring> unicodeValue(const std::filesystem::path& file, std::string_view section,
                                         std::string_view key)
{
    std::array<wchar_t, kProfileValueMaxLength + 1> buffer{};
    const std::wstring sectionText = utf8ToWide(windows1250ToUtf8(section));
    const std::wstring keyText = utf8ToWide(windows1250ToUtf8(key));
    const DWORD length = GetPrivateProfileStringW(sectionText.c_str(), keyText.c_str(), kNotFoundWide, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    const std::wstring_view value(buffer.data(), length);
    if (value == kNotFoundWide)
        return std::nullopt;
    return std::wstring(value);
}

// The A function hands over the bytes of a file without a mark as they are (they pass
// through the system's code page and back): Windows-1250 whatever that code page is.
std::optional<std::string> valueFromBytes(const std::filesystem::path& file, std::string_view section,
                                          std::string_view key)
{
    bool pathLost = false;
    const std::string path = toSystemCodePage(file.native(), &pathLost);
    if (pathLost) {
        // The code page cannot name the file (letters of another script): the W function
        // reads it, and its answer takes the way back through the code page that the A
        // function's would.
        const auto wide = unicodeValue(file, section, key);
        return wide ? std::optional<std::string>(windows1250ToUtf8(cutToMaxLength(toSystemCodePage(*wide))))
                    : std::nullopt;
    }
    std::array<char, kProfileValueMaxLength + 1> buffer{};
    const std::string sectionText(section), keyText(key);
    const DWORD length = GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), kNotFound, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
    const std::string value(buffer.data(), length);
    if (value == kNotFound)
        return std::nullopt;
    return windows1250ToUtf8(value);
}

// A file with a mark is Unicode: the W function keeps its letters, where the A function
// would take them through the system's code page and lose those it lacks.
std::optional<std::string> valueFromUnicode(const std::filesystem::path& file, std::string_view section,
                                            std::string_view key)
{
    const auto wide = unicodeValue(file, section, key);
    if (!wide)
        return std::nullopt;
    // The same text as the Linux reader gives: Windows-1250, '?' for what it lacks, cut.
    return windows1250ToUtf8(cutToMaxLength(utf8ToWindows1250(wideToUtf8(*wide))));
}

// Reads a file that checkFile found readable; `file` in the long form where it needs it.
std::optional<std::string> readPieces(const std::filesystem::path& file, bool& missing, const PieceConsumer& consume)
{
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? std::nullopt : std::optional<std::string>("Windows error " + std::to_string(error));
    }
    const HandleCloser closer{handle};
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return std::string("Not a regular file");
    std::array<char, 65536> buffer{};
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr))
            return "Windows error " + std::to_string(GetLastError());
        if (count == 0 || !consume(std::string_view(buffer.data(), count)))
            return std::nullopt;
    }
}

#else

struct DescriptorCloser {
    int descriptor;
    ~DescriptorCloser() { ::close(descriptor); }
};

bool isMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// Opens without waiting (a FIFO would block a plain open) and reads only a regular
// file: a device such as /dev/zero never ends.
std::optional<std::string> readPieces(const std::filesystem::path& file, bool& missing, const PieceConsumer& consume)
{
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        missing = isMissing(errno);
        return missing ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    }
    const DescriptorCloser closer{descriptor};
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return std::string(std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        return std::string(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        return std::string("Not a regular file");

    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::string(std::strerror(errno));
        if (count == 0 || !consume(std::string_view(buffer.data(), static_cast<std::size_t>(count))))
            return std::nullopt;
    }
}

#endif

}  // namespace

std::string profileStringFromText(std::string_view contents, std::string_view section,
                                  std::string_view key, std::string_view defaultValue)
{
    Lookup lookup(section, key);
    if (lookup.feed(contents))
        lookup.finish();
    return lookup.value() ? *lookup.value() : cutToMaxLength(defaultValue);
}

namespace {

// The file read here, a piece at a time, by the rules above.
ProfileValue readFollowingWindowsRules(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key, std::string_view defaultValue)
{
    Lookup lookup(section, key);
    FileDecoder decoder;
    bool missing = false;
    bool more = true;
    const auto problem = readPieces(file, missing, [&](std::string_view piece) {
        more = lookup.feed(decoder.decode(piece));
        return more;
    });
    if (problem)
        return unreadable(*problem);
    if (missing)
        return defaultValueOf(defaultValue, ProfileValue::Source::FileMissing);
    if (more && lookup.feed(decoder.finish()))
        lookup.finish();
    if (!lookup.value())
        return defaultValueOf(defaultValue);
    return {ProfileValue::Source::File, windows1250ToUtf8(*lookup.value()), {}};
}

}  // namespace

#if defined(_WIN32)

ProfileValue readProfileString(const std::filesystem::path& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue)
{
    const bool longPath = needsExtendedLength(file);
    const std::filesystem::path path = longPath ? extendedLengthPath(file) : file;
    const FileCheck check = checkFile(path);
    if (check.problem)
        return unreadable(*check.problem);
    if (check.missing)
        return defaultValueOf(defaultValue, ProfileValue::Source::FileMissing);
    // The profile functions take no path of MAX_PATH characters or more: such a file is
    // read here, by the rules that the differential test holds to theirs.
    if (longPath)
        return readFollowingWindowsRules(path, section, key, defaultValue);
    // Section and key are ASCII names; the profile functions take them in either form.
    const std::string sectionBytes = utf8ToWindows1250(section), keyBytes = utf8ToWindows1250(key);
    const auto value = check.byteOrderMark ? valueFromUnicode(file, sectionBytes, keyBytes)
                                           : valueFromBytes(file, sectionBytes, keyBytes);
    if (!value)
        return defaultValueOf(defaultValue);
    return {ProfileValue::Source::File, *value, {}};
}

#else

ProfileValue readProfileString(const std::filesystem::path& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue)
{
    return readFollowingWindowsRules(file, section, key, defaultValue);
}

#endif

}  // namespace platform
