// placeholder
namespace tav { void tavSimAnchor() {} }
