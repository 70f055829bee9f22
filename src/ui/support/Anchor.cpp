// placeholder until the first window lands
namespace tav { void tavUiAnchor() {} }
