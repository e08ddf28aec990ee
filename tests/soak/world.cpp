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
  previousTurntable = TTurntableDialog::SetChooser([this](const TTurntableDialog&) {
    ++turntableDialogs;
    return turntableAnswer;
  });
  previousMesh = TMeshExportDialog::SetChooser([this](const TMeshExportDialog&) {
    ++meshDialogs;
    return meshAnswer;
  });
  previousAsker = TAddressDialog::SetAsker([this](const TAddressDialog& dialog) {
    addressDialogs.push_back(dialog.Address);
    DrawSceneBeforeLoad();
    return addressAnswer;
  });
}

SoakWorld::~SoakWorld() {
  SetMessageBoxHook(previousBox);
  TOpenDialog::SetChooser(previousOpen);
  TSaveDialog::SetChooser(previousSave);
  TTurntableDialog::SetChooser(previousTurntable);
  TMeshExportDialog::SetChooser(previousMesh);
  TAddressDialog::SetAsker(previousAsker);
}

void SoakWorld::StartStep(bool quick) {
  input::StartStep(quick, &modalStandIn);
  files.RemoveRetired();
  QStringList read = remembered.Paths();
  read << surfaceFile;
  servers.KeepFor(read);
  openAnswer.reset();
  saveAnswer.reset();
  turntableAnswer.reset();
  meshAnswer.reset();
  addressAnswer.reset();
  openDialogs.clear();
  saveDialogs = 0;
  turntableDialogs = 0;
  meshDialogs = 0;
  addressDialogs.clear();
  messages.clear();
  inputFaults.clear();
  pictureBeforeLoad = QImage();
  framesBeforeLoad = 0;
}

void SoakWorld::DrawSceneBeforeLoad() {
  RunHandler([this] { graph.Draw(); });
  // A raster held at levels may still ask for tiles once the picture rests
  // (the Profile window's sections do): the scene before is the one they
  // finish, as the picture after the load is.
  for (int round = 0; round < 8; ++round) {
    HeightLevels* levels = status.surface.LevelsOfDetail();
    if (!levels || !input::Settle())
      break;
    const std::uint64_t arrivals = levels->Arrivals();
    levels->WaitForTiles();
    if (levels->Arrivals() == arrivals)
      break;
    RunHandler([this] { graph.Draw(); });
  }
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
    if (!load.failed && !load.volume)
      surfaceFile = load.remembered ? load.remembered->path : QString();
  }
}
