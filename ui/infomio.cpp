#include "infomio.h"

namespace zelmora {

Infomio::Infomio(std::filesystem::path directory, ProgramStarter& starter,
                 MessageBoxService& messages)
    : directory_(std::move(directory))
    , starter_(starter)
    , messages_(messages) {}

void Infomio::showModal(QWidget*) {}

} // namespace zelmora
