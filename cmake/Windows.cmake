# The program's icon and version go in as a resource.
enable_language(RC)

# Libraries of the Windows build (see cmake/windows-x64.cmake). The targets
# carry the names the Linux build gets from pkg-config, so that the rest of
# the project links them alike.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_path(LIBDEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
find_library(LIBDEFLATE_LIBRARY NAMES libdeflate.a REQUIRED)
find_path(XXHASH_INCLUDE_DIR xxhash.h REQUIRED)
find_library(XXHASH_LIBRARY NAMES libxxhash.a REQUIRED)
foreach(var LIBDEFLATE XXHASH)
    add_library(PkgConfig::${var} STATIC IMPORTED)
    set_target_properties(PkgConfig::${var} PROPERTIES
        IMPORTED_LOCATION ${${var}_LIBRARY} INTERFACE_INCLUDE_DIRECTORIES ${${var}_INCLUDE_DIR})
endforeach()

# Programs and tests run under wine64, in a prefix of the build's own that
# the first test makes (tests/windows/wine-prefix.sh).
set(QV_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_SOURCE_DIR}/tests/windows/wine-run.sh ${QV_WINE_PREFIX})

# Every program of the build lands in the build folder (qt_standard_project_setup
# does that under Windows); Qt's DLLs, its plugins and the compiler's runtime
# go beside them once, so that each one runs where it was built.
set(QV_DEPLOY_STAMP ${CMAKE_BINARY_DIR}/qt-deployed.stamp)
add_custom_command(OUTPUT ${QV_DEPLOY_STAMP}
    COMMAND sh ${CMAKE_SOURCE_DIR}/packaging/windows/deploy-qt.sh ${QV_WINDOWS_QT} ${CMAKE_BINARY_DIR} Test
    COMMAND ${CMAKE_COMMAND} -E touch ${QV_DEPLOY_STAMP}
    COMMENT "Putting Qt's DLLs beside the programs" VERBATIM)
add_custom_target(qt_runtime ALL DEPENDS ${QV_DEPLOY_STAMP})

# Every program gets the manifest that makes UTF-8 its code page (see
# packaging/windows/qvReplayInfo.manifest). Called once all targets exist.
set(QV_MANIFEST ${CMAKE_SOURCE_DIR}/packaging/windows/qvReplayInfo.manifest)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/manifest.rc.in ${CMAKE_BINARY_DIR}/manifest.rc @ONLY)
# Every target defined in dir and the folders below it, into out_var.
function(qv_targets_below dir out_var)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        qv_targets_below(${subdir} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out_var} ${targets} PARENT_SCOPE)
endfunction()

function(qv_add_manifests dir)
    qv_targets_below(${dir} targets)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/manifest.rc)
        endif()
    endforeach()
endfunction()

# Precompiled headers: mingw GCC spends most of a compile reading Qt's
# headers, so the Windows build reads the common ones once for the code
# (as shipped, -O2) and once for the tests (-O0), and every target reuses
# the set that matches its options. QtTest is left out: its headers depend
# on macros that differ between tests. A set that does not fit a target is
# reported (invalid-pch) and the headers are read as usual.
set(QV_PRECOMPILED_HEADERS
    <algorithm> <functional> <memory> <optional> <vector>
    <QByteArray> <QString> <QStringList> <QList> <QHash> <QSet> <QMap> <QVariant>
    <QObject> <QPointer> <QTimer> <QElapsedTimer> <QDateTime> <QCoreApplication>
    <QFile> <QFileInfo> <QDir> <QTemporaryDir> <QSaveFile> <QSettings> <QThread> <QMutex>
    <QRegularExpression> <QUrl> <QImage> <QPixmap> <QPainter> <QFont> <QFontMetrics> <QIcon>
    <QKeyEvent> <QMouseEvent> <QAbstractTableModel> <QSortFilterProxyModel> <QGuiApplication>
    <QApplication> <QWidget> <QDialog> <QFrame> <QLabel> <QPushButton> <QToolButton> <QAction>
    <QMenu> <QMenuBar> <QLineEdit> <QPlainTextEdit> <QTableView> <QHeaderView> <QTabWidget>
    <QBoxLayout> <QMessageBox> <QFileDialog> <QStyledItemDelegate> <QSqlDatabase> <QSqlQuery>)
add_compile_options(-Winvalid-pch -Wno-error=invalid-pch)

# Gives every C++ target below dir the precompiled set that matches its
# options (the tests' -O0 or the code's). Called once all targets exist,
# from the top folder, whose compile options the two sets then have.
function(qv_use_precompiled_headers dir)
    if(NOT TARGET qvpch_code)
        foreach(kind code tests)
            add_library(qvpch_${kind} STATIC ${CMAKE_SOURCE_DIR}/cmake/windows/precompiled.cpp)
            # Qt's headers, without the QT_<MODULE>_LIB macros that linking
            # the modules defines: GCC takes a set only where every macro it
            # was made with is defined alike, and every target has Qt Core's
            # alone in common.
            target_link_libraries(qvpch_${kind} PRIVATE Qt6::Core)
            target_include_directories(qvpch_${kind} SYSTEM PRIVATE
                $<TARGET_PROPERTY:Qt6::Widgets,INTERFACE_INCLUDE_DIRECTORIES>
                $<TARGET_PROPERTY:Qt6::Sql,INTERFACE_INCLUDE_DIRECTORIES>)
            target_precompile_headers(qvpch_${kind} PRIVATE ${QV_PRECOMPILED_HEADERS})
            set_target_properties(qvpch_${kind} PROPERTIES AUTOMOC OFF)
        endforeach()
        target_compile_options(qvpch_tests PRIVATE -O0)
    endif()
    qv_targets_below(${dir} targets)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(target MATCHES "^qvpch_" OR NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY)$")
            continue()
        endif()
        get_target_property(options ${target} COMPILE_OPTIONS)
        if("-O0" IN_LIST options)
            target_precompile_headers(${target} REUSE_FROM qvpch_tests)
        else()
            target_precompile_headers(${target} REUSE_FROM qvpch_code)
        endif()
    endforeach()
endfunction()
