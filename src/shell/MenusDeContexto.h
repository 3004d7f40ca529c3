#pragma once
// The procedures that the main window's two context menus call back on the
// window that opened them: the chart editors (mnuPopup, on the active child
// window) and the permission editors (mnuPopup2, on ActivePermissions). A
// window provides them by implementing the interface, or as slots or
// invokable methods of those names; a window that has neither is left alone.
namespace shell {

class IMenuPopup {
public:
    virtual ~IMenuPopup() = default;
    virtual void mnuPopNovo() = 0;
    virtual void mnuPopAlterar() = 0;
    virtual void mnuPopDesativar() = 0;
    virtual void mnuPopExcluir() = 0;
};

class IMenuPermissoes {
public:
    virtual ~IMenuPermissoes() = default;
    virtual void mnuPopTotal() = 0;
    virtual void mnuPopGravar() = 0;
    virtual void mnuPopLer() = 0;
    virtual void mnuPopSem() = 0;
};

} // namespace shell
