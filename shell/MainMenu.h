#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>

#include <array>

#include "link/Tserial.h"
#include "ui/Panel.h"

class QAction;
class QActionGroup;
class QMenu;
class TForm1;

// The main window's menu bar: the Device menu (`MenuFile`: firmware, settings files, device
// information and service, comparing and backups), Connection and ELM (the ports, rebuilt each
// time they open; the ELM menu ends with the Wi-Fi adapter), Language, View, Colours,
// Documentation and the admin menu. Each item is connected to the window's handler of its name.
class MainMenu : public QObject, public Panel {
    Q_OBJECT
public:
    static constexpr int kLanguages = 4;
    static constexpr int kViewLevels = 3;
    static constexpr int kThemes = 6;
    static constexpr int kWindowSizes = 6;

    explicit MainMenu(TForm1& window);

    QMenu* MenuFile() const { return file_; }
    QMenu* MenuConn() const { return conn_; }
    QMenu* MenuElm() const { return elm_; }
    QMenu* MenuLang() const { return lang_; }
    QMenu* MenuView() const { return view_; }
    QMenu* MenuColor() const { return colour_; }
    QMenu* MenuDoc() const { return doc_; }
    QMenu* MenuAdmin() const { return admin_; }
    QAction* MenuFileFirmware() const { return firmware_; }
    QAction* MenuFileRead() const { return read_; }
    QAction* MenuFileSave() const { return save_; }
    QAction* MenuFileInfo() const { return info_; }
    QAction* MenuFileServis() const { return service_; }
    QAction* MenuFileCompare() const { return compare_; }
    QAction* MenuFileAutoBackup() const { return autoBackup_; }
    QAction* MenuFileBackupFolder() const { return backupFolder_; }
    // The controllers with backups, by bar code and serial number; each opens its folder.
    QMenu* MenuFileBackups() const { return backups_; }
    QAction* MenuDocMan() const { return docItems_[0]; }
    QAction* MenuDocSch() const { return docItems_[1]; }
    QAction* MenuDocCon() const { return docItems_[2]; }
    QAction* langItem(int index) const { return langItems_[size_t(index)]; }
    QAction* viewItem(int index) const { return viewItems_[size_t(index)]; }
    QAction* colorItem(int index) const { return colorItems_[size_t(index)]; }
    // The admin menu: the transmission log and its two details, the window sizes, the tools.
    QAction* MenuA0() const { return logItems_[0]; }   // "Transmisja"
    QAction* MenuA00() const { return logItems_[1]; }  // verbose live log
    QAction* MenuA01() const { return logItems_[2]; }  // verbose OBD log
    QAction* MenuA1x(int index) const { return sizeItems_[size_t(index)]; }
    QAction* MenuA1() const { return tools_[0]; }  // "Demo"
    QAction* MenuA2() const { return tools_[1]; }  // "UTF16->UTF8"
    QAction* MenuA3() const { return tools_[2]; }  // "Zasoby->UTF16"
    QAction* MenuA4() const { return tools_[3]; }  // "Nastawy"
    QAction* MenuA5() const { return tools_[4]; }  // "-"
    QAction* MenuA6() const { return tools_[5]; }  // "Kasowanie Historii"
    // A window size of the admin menu.
    static QSize windowSize(int index);

    // The Connection and ELM menus list the ports anew each time they open.
    void rebuildConnMenu();
    void rebuildElmMenu();
    // The "automatic backups" tick and the backup folder shown, without calling the handler.
    void showBackups(bool on, const QString& folder);

    // A loaded file leaves the controller disconnected: the Connection menu's first item connects.
    void linkEvent(int kind, int code, int value, int length) override;
    void relabel() override;

private:
    void buildFileMenu();
    void buildAdminMenu();
    void rebuildPortMenu(QMenu* menu, TSerial* port, QList<PortMenuItem>& items);
    void addWifiItem(QMenu* menu, QActionGroup* group);

    TForm1& window_;
    QMenu* file_ = nullptr;
    QMenu* conn_ = nullptr;
    QMenu* elm_ = nullptr;
    QMenu* lang_ = nullptr;
    QMenu* view_ = nullptr;
    QMenu* colour_ = nullptr;
    QMenu* doc_ = nullptr;
    QMenu* admin_ = nullptr;
    QAction* firmware_ = nullptr;
    QAction* read_ = nullptr;
    QAction* save_ = nullptr;
    QAction* info_ = nullptr;
    QAction* service_ = nullptr;
    QAction* compare_ = nullptr;
    QAction* autoBackup_ = nullptr;
    QAction* backupFolder_ = nullptr;
    QMenu* backups_ = nullptr;
    std::array<QAction*, 3> docItems_{};
    std::array<QAction*, kLanguages> langItems_{};
    std::array<QAction*, kViewLevels> viewItems_{};
    std::array<QAction*, kThemes> colorItems_{};
    std::array<QAction*, 3> logItems_{};
    std::array<QAction*, kWindowSizes> sizeItems_{};
    std::array<QAction*, 6> tools_{};
    QList<PortMenuItem> connItems_;
    QList<PortMenuItem> elmItems_;
};
