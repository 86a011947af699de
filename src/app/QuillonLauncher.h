#pragma once
#include "Prompter.h"
#include <QString>
class QuillonLauncher {
public:
    QuillonLauncher(Prompter&, QString = QString()) {}
    void Launch() {}
};
