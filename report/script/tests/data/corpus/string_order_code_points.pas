function F: Boolean;
begin
  { U+1F600 sorts after U+FF5A by code point, though its UTF-16 unit is smaller }
  Result := ('é' > 'z') and ('😀' > 'ｚ') and ('😀a' <= '😀b');
end;
