// Viewer library.
namespace tarnisk_ui {}
