#pragma once

#include "link/LinkEvents.h"

class SettingsCatalogue;
class TFormAdmin;
class TObd;
class TSterownik;

// The admin menu's work: the transmission log joined to both links' text lines, the demonstration
// maps and the listing of the settings' defaults. The log window shows what it is given.
class AdminTools {
public:
    AdminTools(TSterownik& link, TObd& obd, SettingsCatalogue& catalogue, TFormAdmin& log);

    // Joins the log to both links' `OnTekst`, or takes it off again. A handler the link had before
    // keeps getting every line while the log is on, and is put back afterwards.
    void attachLog(bool on);
    // A line of the log window.
    void line(const QString& text, TColor colour = Rgb(0, 0, 0));
    // Fills the six maps with demonstration values and writes them to the controller.
    void fillDemoMaps();
    // Lists the default of every setting as the controller's source defines it; the checksum
    // byte's default first made to let a block of defaults sum to 0.
    void listDefaults();

private:
    void attach(TTekstEvent& handler, TTekstEvent& saved, bool on);

    TSterownik& link_;
    TObd& obd_;
    SettingsCatalogue& catalogue_;
    TFormAdmin& log_;
    TTekstEvent savedLinkTekst_, savedObdTekst_;  // the links' handlers before the log took them
};
