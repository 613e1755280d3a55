#include "BatchPage.h"

BatchPage::BatchPage(const PageServices& services)
    : m_services(services)
{
}
