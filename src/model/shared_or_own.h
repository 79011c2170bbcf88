#pragma once
// A window's editing object (the document, the session): the editor's shared one, or one of its
// own made over a model, for a window that is made alone (tests, tools).

#include "model/model.h"

#include <memory>

namespace vw {

template <class Shared> class SharedOrOwn {
public:
    explicit SharedOrOwn(Model& model)
        : m_own(std::make_unique<Shared>(model)), m_shared(*m_own) {}
    explicit SharedOrOwn(Shared& shared) : m_shared(shared) {}

    Shared& get() const { return m_shared; }

private:
    std::unique_ptr<Shared> m_own;
    Shared& m_shared;
};

} // namespace vw
