#include "world.h"

#include "expect.h"
#include "input.h"
#include "view/handlerguard.h"

SoakWorld::SoakWorld(std::uint64_t seed, const QString& folder)
    : random(seed),
      files(random, folder),
      windows(OpenWindows()),
      root(*windows.root),
      frame(*root.ui.FrameCubiscope1),
      graph(frame.View()),
      status(*windows.status) {
  previousBox = SetMessageBoxHook([this](const MessageBoxRequest& request) {
    messages.push_back(request.text);
    input::BoxShown();
  });
  previousOpen = TOpenDialog::SetChooser([this](const TOpenDialog& dialog) {
    openDialogs.push_back(dialog.FilterIndex);
    DrawSceneBeforeLoad();
    return openAnswer;
  });
  previousSave = TSaveDialog::SetChooser([this](const TSaveDialog&) {
    ++saveDialogs;
    return saveAnswer;
  });
}

SoakWorld::~SoakWorld() {
  SetMessageBoxHook(previousBox);
  TOpenDialog::SetChooser(previousOpen);
  TSaveDialog::SetChooser(previousSave);
}

void SoakWorld::StartStep(bool quick) {
  input::StartStep(quick, &modalStandIn);
  files.RemoveRetired();
  openAnswer.reset();
  saveAnswer.reset();
  openDialogs.clear();
  saveDialogs = 0;
  messages.clear();
  inputFaults.clear();
  pictureBeforeLoad = QImage();
  framesBeforeLoad = 0;
}

void SoakWorld::DrawSceneBeforeLoad() {
  RunHandler([this] { graph.Draw(); });
  if (std::exception_ptr error = TakeHandlerError()) {
    inputFaults.push_back("drawing the scene before the load failed: " +
                          ShownText(error).toStdString());
  }
  pictureBeforeLoad = graph.Picture();
  framesBeforeLoad = graph.FramesPresented();
}

void SoakWorld::NoteLoads(const std::vector<LoadOutcome>& loads) {
  for (const LoadOutcome& load : loads) {
    if (load.remembered)
      remembered.Remember(load.remembered->path, load.remembered->kind);
  }
}
