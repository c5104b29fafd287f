#include "about/Form2.h"

namespace about {

void Form2::Label3_Click() {
    launcher_.shellExecute(window_.handle(), L"Open", std::wstring(L"mailto:") + kAddress, kMailSubject,
                           program_.directory(), kShowNormal);
}

} // namespace about
