// The desktop program.
#include <QElapsedTimer>

#include "app/application.hpp"

int main(int argc, char** argv) {
  // Start-up is also timed from the process start itself (see run_application); this one
  // leaves out the loading of the libraries.
  QElapsedTimer since_main;
  since_main.start();
  return vq::gui::run_application(argc, argv, since_main);
}
