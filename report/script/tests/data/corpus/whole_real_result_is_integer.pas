function F: Variant;
begin
  Result := 1.5 + 1.5;
end;
