// The viewer program: the application object, the main window, the message loop.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "platform/Application.h"
#include "platform/Forms.h"

int main(int argc, char** argv)
{
  try {
    Application_Initialize(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    auto form = std::make_unique<TForm1>(nullptr, std::move(args));
    Form1 = form.get();
    Form1->Show();
    const int rc = Application_Run();
    Form1 = nullptr;
    form.reset();
    Application_FreeOwned();
    return rc;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orbisk: %s\n", e.what());
    return 1;
  }
}
