#include "components/archive/database_schema.h"

namespace Archive {

namespace {

constexpr quint32 kStoredBinary = kArrayBinaryFlag;
// Cue lists live in the database but are written by the project itself.
constexpr quint32 kNeverStored = kArrayBinaryFlag | kNotStoredField;

}  // namespace

const ArraySchemaRow* projectSchema()
{
    static const ArraySchemaRow rows[] = {
        {0, kStoredBinary, QStringLiteral("misc"), 16},
        {1, kStoredBinary, QStringLiteral("function"), 128},
        {34, kStoredBinary, QStringLiteral("fixture_model"), 40000},
        {2, kStoredBinary, QStringLiteral("fixture"), 40000},
        {3, kStoredBinary, QStringLiteral("fixture_element"), 60000},
        {4, kStoredBinary, QStringLiteral("fixture_instance"), 40000},
        {5, kStoredBinary, QStringLiteral("group"), 1024},
        {6, kStoredBinary, QStringLiteral("scene"), 500},
        {7, kStoredBinary, QStringLiteral("media_clip"), 256},
        {8, kStoredBinary, QStringLiteral("pixel_matrix"), 256},
        {9, kStoredBinary, QStringLiteral("frame_array"), 1000},
        {10, kStoredBinary, QStringLiteral("custom_preset"), 256},
        {11, kStoredBinary, QStringLiteral("dynamic_text_font"), 128},
        {12, kStoredBinary, QStringLiteral("dali_interface"), 200},
        {13, kStoredBinary, QStringLiteral("dali_scene"), 16},
        {14, kStoredBinary, QStringLiteral("timeline"), 500},
        {15, kNeverStored, QStringLiteral("cuelist"), 500},
        {16, kStoredBinary, QStringLiteral("trigger"), 1024},
        {17, kStoredBinary, QStringLiteral("condition"), 4096},
        {18, kStoredBinary, QStringLiteral("action"), 4096},
        {19, kStoredBinary, QStringLiteral("controller"), 40},
        {20, kStoredBinary, QStringLiteral("remote_device"), 1024},
        {21, kStoredBinary, QStringLiteral("kinet_power_supply"), 10000},
        {23, kStoredBinary, QStringLiteral("layout"), 64},
        {24, kStoredBinary, QStringLiteral("interface_page"), 10240},
        {28, kStoredBinary, QStringLiteral("object_folder"), 256},
        {29, kStoredBinary, QStringLiteral("trigger_script"), 256},
        {30, kStoredBinary, QStringLiteral("universe"), 10000},
        {31, kStoredBinary, QStringLiteral("dimmercurve"), 32},
        {32, kStoredBinary, QStringLiteral("crossfadepath"), 16},
        {33, kStoredBinary, QStringLiteral("fxtable"), 32},
        {36, kStoredBinary, QStringLiteral("composition"), 100},
        {38, kStoredBinary, QStringLiteral("pixture_container"), 64},
        {40, kStoredBinary, QStringLiteral("io_module"), 256},
        {41, kStoredBinary, QStringLiteral("io_module_instance"), 32768},
        {42, kStoredBinary, QStringLiteral("project_replication"), 50},
        {22, kStoredBinary, QStringLiteral("interface_configuration"), 40},
        {25, kStoredBinary, QStringLiteral("interface_page_switcher"), 10240},
        {26, kStoredBinary, QStringLiteral("interface_control"), 163840},
        {27, kStoredBinary, QStringLiteral("interface_theme"), 40},
        {39, kStoredBinary, QStringLiteral("interface_font"), 160},
        {35, kStoredBinary, QStringLiteral("user_interface_state"), 12},
        {kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

const ArraySchemaRow* vuxSchema()
{
    static const ArraySchemaRow rows[] = {
        {1, kStoredBinary, QStringLiteral("project"), 200},
        {8, kStoredBinary, QStringLiteral("panorama_content"), 5000},
        {3, kStoredBinary, QStringLiteral("media_clip"), 200},
        {5, kStoredBinary, QStringLiteral("playlist"), 200},
        {6, kStoredBinary, QStringLiteral("schedule"), 200},
        {9, kStoredBinary, QStringLiteral("media_resources"), 20000},
        {kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

}  // namespace Archive
