#include "gui/TapeloftApp.h"

int main(int argc, char** argv) {
    return tapeloft::runTapeloft(argc, argv);
}
