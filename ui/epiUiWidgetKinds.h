#pragma once

class epiApplication;

// Registers every widget kind of the layout documents with the application's factory, each kind
// to its widget class.
void epiRegisterWidgetKinds(epiApplication& app);
