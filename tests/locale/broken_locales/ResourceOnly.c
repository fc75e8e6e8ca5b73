/* The module is read for its resources only; the linker still wants one object. */
int tessera_resource_only_module;
