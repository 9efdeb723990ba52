#include "app/MessageWindow.h"

namespace ZumeliApplication {

bool MessageWindow::handleCommand(epiCode command)
{
    if (command == epiFourCC("Done") || command == epiFourCC("Okay")) {
        close();
        return true;
    }
    return AccountWindow::handleCommand(command);
}

} // namespace ZumeliApplication
