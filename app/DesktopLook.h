#pragma once

namespace ZumeliApplication {

// Asks the desktop toolkit for its dark variant, so the menu bar and the account windows match
// the dark face of the panel, and names the windows' icon. Does nothing when no GTK display is open.
void preferDarkLook();

} // namespace ZumeliApplication
