// Creating, placing and adopting tool windows.
#include "app/ToolCommands.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include "analysis/ui/TAnaLineForm.h"
#include "analysis/ui/TS3DForm.h"
#include "app/TMainForm.h"
#include "app/WindowArrangement.h"
#include "palette/ui/TPaletteForm.h"
#include "process/ui/TFilterForm.h"
#include "view/TMDIChild.h"

TMDIChild* ToolTargetWindow(const TMainForm& main, TToolTarget target) {
  switch (target) {
    case TToolTarget::CurrentImage:
      return main.CurrentImageWindow();
    case TToolTarget::ActiveImage:
      return main.ActiveImageChild();
  }
  return nullptr;
}

QMdiSubWindow* OpenToolChild(TMainForm& main, TToolTarget target,
                             const std::function<QMdiSubWindow*(TMDIChild& image)>& make) {
  TMDIChild* image = ToolTargetWindow(main, target);
  if (!image) return nullptr;
  QMdiSubWindow* tool = make(*image);
  if (!tool) return nullptr;
  // A closed tool window is freed at once; the menus follow the number of children.
  tool->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(tool, &QObject::destroyed, &main,
                   [&main] { QTimer::singleShot(0, &main, &TMainForm::UpdateMenuItems); });
  main.MdiArea()->addSubWindow(tool);
  TMDIChild::LeaveCloseKeysToTheMenu(*tool);
  image->AdoptToolWindow(tool);
  tool->show();
  PlaceInView(*main.MdiArea(), *tool);
  main.MdiArea()->setActiveSubWindow(tool);
  main.UpdateMenuItems();
  return tool;
}

QWidget* OpenToolOnTop(TMainForm& main, TToolTarget target,
                       const std::function<QWidget*(TMDIChild& image)>& make) {
  TMDIChild* image = ToolTargetWindow(main, target);
  if (!image) return nullptr;
  QWidget* tool = make(*image);
  if (!tool) return nullptr;
  tool->setAttribute(Qt::WA_DeleteOnClose);
  tool->setWindowFlags(tool->windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
  image->AdoptToolWindow(tool);
  tool->show();
  tool->raise();
  return tool;
}

QWidget* PaletteItemClick(TMainForm& main) {
  return OpenToolOnTop(main, TToolTarget::CurrentImage, [](TMDIChild& image) -> QWidget* {
    auto* editor = new TPaletteForm(image.Doc().Msgs());
    editor->SetSource(&image);
    editor->SetCaptionText("Choose Palette for " + image.windowTitle().toStdString());
    return editor;
  });
}

namespace {

// What a closing tool child does towards its image window: the image window becomes the
// current one again and is redrawn, so a result that was taken over shows there. The
// area by itself would activate the next child in creation order, which need not be the
// tool's own image window, and the redraw and every later command would then go to
// another image.
std::function<void()> RefreshOwner(TMainForm& main, TMDIChild& image) {
  QPointer<TMDIChild> owner(&image);
  return [&main, owner] {
    QTimer::singleShot(0, &main, [&main, owner] {
      if (owner) main.MdiArea()->setActiveSubWindow(owner);
      main.RefreshItemClick();
    });
  };
}

}  // namespace

QMdiSubWindow* OpenLineProfile(TMainForm& main) {
  QMdiSubWindow* tool =
      OpenToolChild(main, TToolTarget::CurrentImage, [&main](TMDIChild& image) -> QMdiSubWindow* {
        auto* form = new TAnaLineForm(main.Settings(), main.Msgs(), RefreshOwner(main, image));
        form->setWindowTitle(QString::fromStdString(image.Doc().Caption));
        form->SetPicture(image.Doc().Picture.get());
        return form;
      });
  if (tool) tool->showMaximized();
  return tool;
}

QMdiSubWindow* OpenSimple3D(TMainForm& main) {
  return OpenToolChild(main, TToolTarget::CurrentImage, [&main](TMDIChild& image) {
    auto* form = new TS3DForm(main.Settings(), main.Msgs());
    form->setWindowTitle(QString::fromStdString(image.Doc().Caption));
    form->SetPicture(image.Doc().Picture.get());
    return form;
  });
}

QMdiSubWindow* OpenWorkbench(TMainForm& main, int mode) {
  const bool current = mode == 0 || mode == 4 || mode == 6;
  QMdiSubWindow* tool = OpenToolChild(
      main, current ? TToolTarget::CurrentImage : TToolTarget::ActiveImage,
      [&main, mode](TMDIChild& image) -> QMdiSubWindow* {
        auto* form = new TFilterForm(main.Settings(), main.Msgs(), RefreshOwner(main, image));
        if (!form->OpenInMode(image.Doc().Picture.get(), mode)) {
          delete form;
          return nullptr;
        }
        form->setWindowTitle(QString::fromStdString(WorkbenchCaption(mode, image.Doc().Caption)));
        return form;
      });
  if (tool) tool->showMaximized();
  return tool;
}

QMdiSubWindow* LowPassItemClick(TMainForm& main) {
  return OpenWorkbench(main, 0);
}

QMdiSubWindow* NoiseItemClick(TMainForm& main) {
  return OpenWorkbench(main, 4);
}

QMdiSubWindow* HistogramItemClick(TMainForm& main) {
  return OpenWorkbench(main, 5);
}

QMdiSubWindow* FFTItemClick(TMainForm& main) {
  return OpenWorkbench(main, 6);
}

QMdiSubWindow* SlopeItemClick(TMainForm& main) {
  return OpenWorkbench(main, 7);
}

QMdiSubWindow* Zoom1Click(TMainForm& main) {
  return OpenWorkbench(main, 8);
}

QMdiSubWindow* Shere1Click(TMainForm& main) {
  return OpenWorkbench(main, 9);
}
