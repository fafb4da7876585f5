# Precompiled headers: the Qt, standard-library and (for tests) GoogleTest
# headers that most files include are parsed once per build instead of once
# per file. Every library reuses qx_pch, every test program qx_testpch, so
# only two headers are compiled.
set(QX_PCH_HEADERS
    <QAction> <QApplication> <QByteArray> <QComboBox> <QCoreApplication> <QDateTime> <QDialog> <QDir>
    <QEvent> <QFile> <QFileInfo> <QImage> <QLabel> <QLineEdit> <QListWidget> <QMouseEvent> <QObject>
    <QPainter> <QPointer> <QPushButton> <QRadioButton> <QString> <QStringList> <QTimer> <QWidget>
    <algorithm> <array> <cmath> <cstdint> <functional> <map> <memory> <optional> <string> <vector>)

add_library(qx_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(qx_pch PUBLIC Qt6::Widgets)
target_precompile_headers(qx_pch PRIVATE ${QX_PCH_HEADERS})
set_target_properties(qx_pch PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)

# The libraries' source files use the shared header.
function(qx_use_pch target)
  target_precompile_headers(${target} REUSE_FROM qx_pch)
endfunction()
