function F: Extended;
begin
  Result := Ln(0);
end;
