// The user's own Trawlix, which the tests would change: its settings, the sign-in entry, and an
// installed copy (its folder, its Start-menu shortcuts and its entry among the installed apps).
// Saved before the tests, put back exactly afterwards, the saved copy removed once it is back.
#pragma once

#include <string>
#include <vector>

namespace kit {

class UserState {
public:
    UserState();

    // Whether an earlier run saved a copy and could not put it back (it was ended at once).
    bool savedCopyExists() const;
    // Saves everything; on failure removes what it saved (nothing else was touched) and says why.
    bool save(std::wstring& problem) const;
    // Removes the user's Trawlix, so that the tests start as on a PC without it.
    std::vector<std::wstring> clear() const;
    // Puts every saved thing back; what could not be put back, one line each (the saved copy then
    // stays where where() says).
    std::vector<std::wstring> restore() const;
    // Where the saved copy lies, for the user.
    std::wstring where() const;

private:
    std::vector<std::wstring> replace(bool putBack) const;

    std::wstring installFolder_;
    std::wstring programsFolder_;  // the Start menu's, which holds the installer's shortcuts
    std::wstring savedFolder_;     // the saved files; the registry's are under kSavedKey
};

}  // namespace kit
