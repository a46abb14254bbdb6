// The Window of the program: the mirror, with every write carried to the Qt main window.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "core/window.h"

namespace pel {

class MainWindow;

// Create on the GUI thread. Writes may come from any thread; each is posted, in the order the
// mirror took it, to the GUI thread and applied there to the attached main window. Writes that
// arrive while no window is attached (before it exists or after it is gone) are dropped.
class QtWindow : public MirroredWindow {
  public:
    QtWindow();
    ~QtWindow() override;

    // GUI thread only.
    void attach(MainWindow* window);

  protected:
    void apply(const PropertyWrite& write) override;

  private:
    std::unique_ptr<QObject> relay_;  // lives on the GUI thread; its queued calls die with it
    QPointer<MainWindow> target_;     // read and written on the GUI thread only
};

}  // namespace pel
