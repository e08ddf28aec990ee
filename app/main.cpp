#include "app/application.h"
#include "app/entry.h"

int main(int argc, char** argv) {
  cApplication application(argc, argv);
  return RunCubiscope(application);
}
