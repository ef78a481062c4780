CREATE TABLE note (id INTEGER, body TEXT);
INSERT INTO note VALUES (1, 'first' || char(13) || char(10) || '  second' || char(10) || 'third');
