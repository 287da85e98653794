// The 2008 calendar rows and the one statement that writes them into a database.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace update {

// One row per month, ids 50 to 61, one letter per day; each text carries its trailing
// "," and the last one ";".
inline constexpr std::array<std::string_view, 12> kCalendarRows = {
    "(50, 2008, 1, 'PDDDSNDDDDDSNDDDDDSNDDDDDSNDDDD'),",
    "(51, 2008, 2, 'DSNDDDDDSNDDDDDSNDDDDDSNDDDDD'),",
    "(52, 2008, 3, 'SNDDDDDSNDDDDDSNDDDDDSNPDDDDSND'),",
    "(53, 2008, 4, 'DDDDSNDDDDDSNDDDDDSNDDDDDSNDDD'),",
    "(54, 2008, 5, 'PDSNDDDPDSNDDDDDSNDDDDDSNDDDDDS'),",
    "(55, 2008, 6, 'NDDDDDSNDDDDDSNDDDDDSNDDDDDSND'),",
    "(56, 2008, 7, 'DDDDSNDDDDDSNDDDDDSNDDDDDSNDDDD'),",
    "(57, 2008, 8, 'DSNDDDDDSNDDDDDSNDDDDDSNDDDDDSN'),",
    "(58, 2008, 9, 'DDDDDSNDDDDDSNDDDDDSNDDDDDSNDD'),",
    "(59, 2008, 10, 'DDDSNDDDDDSNDDDDDSNDDDDDSNDPDDD'),",
    "(60, 2008, 11, 'SNDDDDDSNDDDDDSNUDDDDSNDDDDDSN'),",
    "(61, 2008, 12, 'DDDDDSNDDDDDSNDDDDDSNDDPPPSNDDD');",
};

// The name between backquotes, each backquote inside it doubled, every other byte as
// listed by the server.
std::string quotedIdentifier(std::string_view name);

// "INSERT INTO `name`.`calendar` (`id`, `year`, `month`, `days`) VALUES " followed by
// the twelve rows, on one line.
std::string calendarStatement(std::string_view databaseName);

}  // namespace update
