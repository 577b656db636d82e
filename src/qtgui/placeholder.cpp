// Qt glue shared by the viewer and the CLI.
namespace tarnisk_qtgui {}
