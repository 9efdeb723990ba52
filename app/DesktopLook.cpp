#include "app/DesktopLook.h"

#include <gtk/gtk.h>

namespace ZumeliApplication {

void preferDarkLook()
{
    if (!gdk_display_get_default())
        return;
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_set(settings, "gtk-application-prefer-dark-theme", TRUE, nullptr);
    // The installed icon (share/icons/hicolor) names every window.
    gtk_window_set_default_icon_name("zumeli");
}

} // namespace ZumeliApplication
