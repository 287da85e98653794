// The rules by which a profile file's text answers a lookup of one key in one section, as
// the Windows reader applies them; fed the text a piece at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The text a lookup reads: the Windows-1250 bytes of a file without a byte order mark,
// or the UTF-8 that ProfileDecoder makes of a file with one.
enum class ProfileText { Windows1250, Utf8 };

// `value` cut to kProfileValueMaxLength UTF-16 units, as the Windows call cuts it: a
// Windows-1250 byte is one, a UTF-8 character one or, beyond the basic plane, two; where
// the cut parts such a pair, the half left over becomes U+FFFD.
std::string cutProfileValue(std::string_view value, ProfileText text = ProfileText::Windows1250);

// One name or value of a line, taken a byte at a time. Blanks before it are dropped,
// blanks after it only when the line ends: Windows keeps names and values as text that
// ends at a NUL, so a NUL ends this text where it stands, blanks before it kept. Only the
// first `kept` UTF-16 units are held (counted as cutProfileValue counts them), however long
// the line; length() counts them all.
class ProfileField {
public:
    explicit ProfileField(std::size_t kept = 0, ProfileText text = ProfileText::Windows1250)
        : kept_(kept), encoding_(text)
    {
    }

    void add(char c);

    std::size_t length() const noexcept { return length_; }
    const std::string& text() const noexcept { return text_; }  // the first `kept` units
    std::size_t keptUnits() const noexcept { return keptUnits_; }
    char last() const noexcept { return last_; }

    bool equalsIgnoringCase(std::string_view name) const;

private:
    void append(char c);
    void settleBlanks();
    std::size_t unitsOf(char c) const;

    std::size_t kept_;
    ProfileText encoding_;
    std::string text_;
    std::size_t length_ = 0;
    std::size_t keptUnits_ = 0;
    bool keepingCharacter_ = false;  // the bytes of the character under way are kept
    char last_ = '\0';
    std::string blanks_;  // blanks after the text so far, kept only if more text follows
    std::size_t blankCount_ = 0;
    char lastBlank_ = '\0';
    bool ended_ = false;
};

// Looks for `key` in the first section called `section`, a character at a time, holding
// no more of a line than the names compared and the value's first characters: a line of
// any length costs time, never memory. A later section of the same name is not searched,
// as in the Windows reader. CR and LF each end a line. `section` and `key` are
// Windows-1250; the text is read as `text` says, until reading() changes it.
class ProfileLookup {
public:
    ProfileLookup(std::string_view section, std::string_view key, ProfileText text = ProfileText::Windows1250);

    // The text fed from now on is `text`: once its file's mark has been read.
    void reading(ProfileText text);

    // False once the answer is known and no further text can change it.
    bool feed(std::string_view text);
    // The text has ended.
    void finish();

    // The value found (in the text's encoding, cut to length), or nullopt.
    const std::optional<std::string>& value() const noexcept { return value_; }

private:
    enum class Part {
        Start,         // blanks before the first character
        SectionName,   // after '[', up to the first ']'
        KeyName,       // up to the first '='
        WantedValue,   // after '=' of the key looked for, in its section
        Rest,          // nothing more on this line matters
    };

    void take(char c);
    void endLine();
    void startName(Part part, std::string_view wanted);
    void endSectionName();

    std::string section_;
    std::string key_;
    ProfileText text_;
    Part part_ = Part::Start;
    ProfileField name_;
    ProfileField valueText_;
    bool inWantedSection_ = false;
    bool done_ = false;
    std::optional<std::string> value_;
};

}  // namespace platform
