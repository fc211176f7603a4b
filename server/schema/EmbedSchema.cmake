# Compiles the schema files into posserverlib as text: SchemaText.cpp (generated in the
# build tree) defines store::kStoreSchemaSql and store::kMainSchemaSql. Editing a .sql
# file re-runs the configure step, which regenerates it.
set(_schema_dir ${CMAKE_CURRENT_LIST_DIR})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${_schema_dir}/store.sql ${_schema_dir}/main.sql)
file(READ ${_schema_dir}/store.sql _store_sql)
file(READ ${_schema_dir}/main.sql _main_sql)
set(_schema_cpp ${CMAKE_CURRENT_BINARY_DIR}/SchemaText.cpp)
file(CONFIGURE OUTPUT ${_schema_cpp} @ONLY CONTENT
"// Generated from server/schema/*.sql by EmbedSchema.cmake: do not edit.
namespace store {
extern const char* const kStoreSchemaSql;
extern const char* const kMainSchemaSql;
const char* const kStoreSchemaSql = reinterpret_cast<const char*>(u8R\"SQL(@_store_sql@)SQL\");
const char* const kMainSchemaSql = reinterpret_cast<const char*>(u8R\"SQL(@_main_sql@)SQL\");
}  // namespace store
")
target_sources(posserverlib PRIVATE ${_schema_cpp})
