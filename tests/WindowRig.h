#pragma once

// The main window as its tests start it: preferences in a temporary folder, questions scripted.
// The window is not created yet: a test sets what else it needs, then calls FormCreate.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>

#include <memory>

#include "base/Prompt.h"
#include "link/Tsterownik.h"
#include "shell/Unitmain.h"

struct WindowRig {
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;

    WindowRig()
    {
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
    }

    TSterownik& link() { return *form.Sterownik1; }
};
