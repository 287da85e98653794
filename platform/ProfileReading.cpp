// A profile file read a piece at a time by the lookup rules, on either system.
#include "platform/ProfileReading.h"

#include "platform/CodePage.h"
#include "platform/ProfileDecoder.h"
#include "platform/ProfileRules.h"

namespace platform {

ProfileReader profileReaderFor(std::string_view firstBytes)
{
    switch (byteOrderMarkOf(firstBytes).encoding) {
    case TextEncoding::Unmarked: return ProfileReader::SystemBytes;
    case TextEncoding::Utf16le: return ProfileReader::SystemUnicode;
    case TextEncoding::Utf8:
    case TextEncoding::Utf16be: break;
    }
    return ProfileReader::OwnRules;
}

ProfileValue unreadableProfile(std::string problem)
{
    return {ProfileValue::Source::Unreadable, {}, std::move(problem)};
}

ProfileValue defaultProfileValue(std::string_view defaultValue, ProfileValue::Source source)
{
    return {source, windows1250ToUtf8(cutProfileValue(utf8ToWindows1250(defaultValue))), {}};
}

ProfileValue readProfileFollowingRules(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key, std::string_view defaultValue)
{
    ProfileLookup lookup(section, key);
    ProfileDecoder decoder;
    // The decoder's text: UTF-8 after a byte order mark, Windows-1250 without one.
    const auto feed = [&](const std::string& text) {
        if (decoder.encodingKnown() && decoder.marked())
            lookup.reading(ProfileText::Utf8);
        return lookup.feed(text);
    };
    bool missing = false;
    bool more = true;
    const auto problem = readProfilePieces(file, missing, [&](std::string_view piece) {
        more = feed(decoder.decode(piece));
        return more;
    });
    if (problem)
        return unreadableProfile(*problem);
    if (missing)
        return defaultProfileValue(defaultValue, ProfileValue::Source::FileMissing);
    if (more && feed(decoder.finish()))
        lookup.finish();
    if (!lookup.value())
        return defaultProfileValue(defaultValue);
    // A Unicode file's value, like every other, as Windows-1250 holds it: '?' for what it lacks.
    const std::string value = decoder.marked() ? utf8ToWindows1250(*lookup.value()) : *lookup.value();
    return {ProfileValue::Source::File, windows1250ToUtf8(value), {}};
}

}  // namespace platform
