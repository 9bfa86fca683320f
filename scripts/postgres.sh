# What the scripts need to run the programs or their tests on PostgreSQL. Sourced, not run.
# The PostgreSQL suites (ctest -L postgres) each start a throwaway cluster of their own through
# scripts/pg-cluster.sh; where none can start they fail, they never skip.

POSTGRES_PACKAGES=(postgresql libqt6sql6-psql)
