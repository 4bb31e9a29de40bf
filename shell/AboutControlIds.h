// Child-window identifiers of the About box. The end-to-end tests find controls by them.
#pragma once

namespace trawlix::about_ids {

// 1 and 2 stay free for the IDOK / IDCANCEL that IsDialogMessage sends for Enter and Esc.
enum ControlId : int {
    idCmdEmailme = 101,
    idCommand1,
    idPicIcon,
    idCmdOK,
    idLabel3,
    idLabel2,
    idLabel1,
    idLblTitle,
    idLblDisclaimer,
};

}  // namespace trawlix::about_ids
