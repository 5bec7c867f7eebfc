#include "app/driver.h"

int main(int argc, char* argv[]) {
  return wqnprep::runMain(argc, argv);
}
