// The yardstick of the gallery's idle benchmark: a bare GTK window of the same size in GTK's
// own main loop, measured the same way.
//
//   zumeli-bare-gtk SECONDS
#include "ProcessFigures.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    double seconds = argc > 1 ? std::atof(argv[1]) : 30;
    if (!gtk_init_check(&argc, &argv)) {
        std::printf("no display\n");
        return 1;
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 560, 420);
    gtk_widget_show_all(window);
    ProcessFigures::Sample start = ProcessFigures::sample();
    g_timeout_add(static_cast<guint>(seconds * 1000), [](gpointer) -> gboolean {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }, nullptr);
    std::printf("ready\n");
    gtk_main();
    ProcessFigures::report("bare GTK window", start, ProcessFigures::sample());
    gtk_widget_destroy(window);
    return 0;
}
