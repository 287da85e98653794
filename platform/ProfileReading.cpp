// A profile file read a piece at a time by the lookup rules, on either system.
#include "platform/ProfileReading.h"

#include "platform/CodePage.h"
#include "platform/ProfileDecoder.h"
#include "platform/ProfileRules.h"

namespace platform {

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
    bool missing = false;
    bool more = true;
    const auto problem = readProfilePieces(file, missing, [&](std::string_view piece) {
        more = lookup.feed(decoder.decode(piece));
        return more;
    });
    if (problem)
        return unreadableProfile(*problem);
    if (missing)
        return defaultProfileValue(defaultValue, ProfileValue::Source::FileMissing);
    if (more && lookup.feed(decoder.finish()))
        lookup.finish();
    if (!lookup.value())
        return defaultProfileValue(defaultValue);
    return {ProfileValue::Source::File, windows1250ToUtf8(*lookup.value()), {}};
}

}  // namespace platform
