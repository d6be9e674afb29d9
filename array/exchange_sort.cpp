#include "exchange_sort.h"

namespace plimvar {

WorkArray::WorkArray(ElementValue size)
{
    if (size < 1)
        throw Failure(FailureKind::Subscript);
    m_elements.resize(static_cast<std::size_t>(size));
}

std::size_t WorkArray::offsetOf(ElementValue index) const
{
    if (index < 1 || index > size())
        throw Failure(FailureKind::Subscript);
    return static_cast<std::size_t>(index - 1);
}

void exchangeSort(WorkArray &a)
{
    exchangeSortReference(a);
}

} // namespace plimvar
