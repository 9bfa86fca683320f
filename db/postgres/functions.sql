-- What the programs' SQL texts take from Oracle and PostgreSQL lacks, by Oracle's rules:
--   - DECODE with three and with four arguments (one search; a default or not). NULL never
--     matches a search; the result has the type both results can take (DECODE(x, '1', SPED, 0)
--     is numeric);
--   - a text compared with a number, in DECODE and with = (EQUP_TYPE = 2 on a text column),
--     compares by value, the text read as a number; a text that holds no number equals no
--     number. Two texts compare exactly, two numbers by value.
-- TO_CHAR of a date is PostgreSQL's own. Run in the database the programs log on to.

-- The number a text holds, or NULL where it holds none.
CREATE OR REPLACE FUNCTION vds_text_number(value text) RETURNS numeric
LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT CASE WHEN value ~ '^\s*[-+]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][-+]?[0-9]+)?\s*$'
                THEN value::numeric END
$$;

CREATE OR REPLACE FUNCTION decode(expr text, search text, result anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = search THEN result END
$$;
CREATE OR REPLACE FUNCTION decode(expr text, search text, result anycompatible,
                                  otherwise anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = search THEN result ELSE otherwise END
$$;

CREATE OR REPLACE FUNCTION decode(expr numeric, search numeric, result anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = search THEN result END
$$;
CREATE OR REPLACE FUNCTION decode(expr numeric, search numeric, result anycompatible,
                                  otherwise anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = search THEN result ELSE otherwise END
$$;

CREATE OR REPLACE FUNCTION decode(expr numeric, search text, result anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = vds_text_number(search) THEN result END
$$;
CREATE OR REPLACE FUNCTION decode(expr numeric, search text, result anycompatible,
                                  otherwise anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN expr = vds_text_number(search) THEN result ELSE otherwise END
$$;

CREATE OR REPLACE FUNCTION decode(expr text, search numeric, result anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN vds_text_number(expr) = search THEN result END
$$;
CREATE OR REPLACE FUNCTION decode(expr text, search numeric, result anycompatible,
                                  otherwise anycompatible)
RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN vds_text_number(expr) = search THEN result ELSE otherwise END
$$;

CREATE OR REPLACE FUNCTION vds_text_equals_number(value text, number integer) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT vds_text_number(value) = number
$$;
CREATE OR REPLACE FUNCTION vds_number_equals_text(number integer, value text) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT vds_text_number(value) = number
$$;
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_operator WHERE oprname = '='
                   AND oprleft = 'text'::regtype AND oprright = 'integer'::regtype) THEN
        CREATE OPERATOR = (LEFTARG = text, RIGHTARG = integer,
                           FUNCTION = vds_text_equals_number, COMMUTATOR = =);
        CREATE OPERATOR = (LEFTARG = integer, RIGHTARG = text,
                           FUNCTION = vds_number_equals_text, COMMUTATOR = =);
    END IF;
END
$$;
