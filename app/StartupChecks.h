// What the window program checks and quiets before its window exists.
#pragma once

namespace app {

// Exit statuses of the window program's own (0 is every normal end).
inline constexpr int kExitNoGraphicalSession = 69;  // as EX_UNAVAILABLE of sysexits.h
inline constexpr int kExitCodePageMissing = 71;     // as EX_OSERR

// The claim (platform::InstanceClaim) that keeps a second start of the window program in
// the same session from running: it brings the running one's window to the front and ends.
inline constexpr char kInstanceName[] = "calendar-import-window";

// The start of the notice for kExitCodePageMissing; the reason follows.
inline constexpr char kCodePageMissingNotice[] = "Kódování Windows-1250 není v tomto systému k dispozici: ";

// Drops Qt's notice about a missing XDG_RUNTIME_DIR, which says nothing the user can act
// on, and turns a failed connection to the display into kExitNoGraphicalSession with a
// message that says what to do.
void silenceStartupNoise();

// kExitNoGraphicalSession with a message when no display is named at all, else 0.
int refuseWithoutGraphicalSession();

// kExitCodePageMissing with a message box when Windows-1250 cannot be converted, else 0.
int refuseWithoutWindows1250();

}  // namespace app
